# Sanitizer builds and the fuzz targets, switched on from the command line:
#   -DZUZOR_SANITIZE=address   AddressSanitizer with UndefinedBehaviorSanitizer, every
#                              finding fatal
#   -DZUZOR_SANITIZE=thread    ThreadSanitizer
#   -DZUZOR_FUZZ=ON            the libFuzzer targets in tests/fuzz (needs clang)
# Included before any target is defined, so the flags reach every target of the build.
set(ZUZOR_SANITIZE "" CACHE STRING "Sanitizer build: address (with undefined) or thread")
option(ZUZOR_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(ZUZOR_SANITIZE STREQUAL "address")
    set(ZUZOR_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
elseif(ZUZOR_SANITIZE STREQUAL "thread")
    set(ZUZOR_SANITIZER_FLAGS -fsanitize=thread)
    # The music clock's sequence lock uses a fence, which TSan does not model; GCC says so
    # for every file. Every field it guards is atomic, so TSan still sees no data race.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-tsan)
    endif()
elseif(NOT ZUZOR_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ZUZOR_SANITIZE must be empty, address or thread")
endif()
if(ZUZOR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "The fuzz targets need clang (CXX=clang++)")
    endif()
    # The fuzzers always run with ASan and UBSan; coverage comes from the fuzzer flag of
    # each target.
    set(ZUZOR_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
endif()
if(ZUZOR_SANITIZER_FLAGS)
    # Frame pointers give whole stacks in the reports at little cost.
    add_compile_options(${ZUZOR_SANITIZER_FLAGS} -fno-omit-frame-pointer -g)
    add_link_options(${ZUZOR_SANITIZER_FLAGS})
endif()
if(ZUZOR_SANITIZE STREQUAL "address")
    # Every program of the build keeps the libraries it loads until exit (see the source).
    add_library(zuzor_keep_libraries_loaded OBJECT
        ${CMAKE_CURRENT_LIST_DIR}/../tests/sanitizers/keep_libraries_loaded.cpp)
    link_libraries(zuzor_keep_libraries_loaded)
    add_link_options(-Wl,--export-dynamic-symbol=dlclose)
endif()
