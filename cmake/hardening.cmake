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
