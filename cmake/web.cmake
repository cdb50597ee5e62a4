# The browser build, with Debian's emscripten (emcmake) and the libopenmpt of
# scripts/web-deps.sh (ZUZOR_WEB_DEPS, its prefix): the layers the demo runs on, over the
# web platform (platform/web: the canvas with the GL subset, Web Audio, the page's clock),
# and the page's program, zuzor.js with zuzor.wasm. scripts/web.sh puts them into the page.
# Included by the top-level CMakeLists.txt, which stops after it.

set(ZUZOR_WEB_DEPS "" CACHE PATH "The prefix scripts/web-deps.sh printed")
if(NOT EXISTS "${ZUZOR_WEB_DEPS}/lib/libopenmpt.a")
    message(FATAL_ERROR "ZUZOR_WEB_DEPS must name the prefix of scripts/web-deps.sh")
endif()
add_library(zuzor_web_openmpt INTERFACE)
target_include_directories(zuzor_web_openmpt SYSTEM INTERFACE "${ZUZOR_WEB_DEPS}/include")
target_link_libraries(zuzor_web_openmpt INTERFACE "${ZUZOR_WEB_DEPS}/lib/libopenmpt.a")

# The same layers as natively; the platform is the web's, the clock the POSIX one, the file
# watch the polling one.
file(GLOB ZUZOR_BASE_SOURCES CONFIGURE_DEPENDS base/*.cpp)
zuzor_layer(zuzor_base SOURCES ${ZUZOR_BASE_SOURCES} platform/posix/clock.cpp
    platform/polling/file_events.cpp)
# The portable sound output over the web's stream, and background work as event-loop
# callbacks instead of threads.
file(GLOB ZUZOR_PLATFORM_SOURCES CONFIGURE_DEPENDS platform/*.cpp platform/web/*.cpp
    platform/web/gl/*.cpp)
list(FILTER ZUZOR_PLATFORM_SOURCES EXCLUDE REGEX "platform/background_work\\.cpp$")
zuzor_layer(zuzor_platform SOURCES ${ZUZOR_PLATFORM_SOURCES} LINKS zuzor_base)
file(GLOB ZUZOR_SYNC_SOURCES CONFIGURE_DEPENDS sync/*.cpp)
zuzor_layer(zuzor_sync SOURCES ${ZUZOR_SYNC_SOURCES} LINKS zuzor_base zuzor_platform
    zuzor_web_openmpt)
file(GLOB ZUZOR_ASSETS_SOURCES CONFIGURE_DEPENDS assets/*.cpp)
zuzor_layer(zuzor_assets SOURCES ${ZUZOR_ASSETS_SOURCES} LINKS zuzor_base)
file(GLOB ZUZOR_SCENE_SOURCES CONFIGURE_DEPENDS effects/*.cpp overlays/*.cpp)
zuzor_layer(zuzor_scene SOURCES ${ZUZOR_SCENE_SOURCES} LINKS zuzor_base zuzor_assets)
file(GLOB ZUZOR_DEMO_SOURCES CONFIGURE_DEPENDS demo/*.cpp)
list(FILTER ZUZOR_DEMO_SOURCES EXCLUDE REGEX "demo/(web_)?main\\.cpp$")
zuzor_layer(zuzor_demo SOURCES ${ZUZOR_DEMO_SOURCES} LINKS zuzor_scene zuzor_sync)
target_compile_definitions(zuzor_demo PRIVATE ZUZOR_VERSION="${PROJECT_VERSION}")

add_executable(zuzor-web demo/web_main.cpp)
target_link_libraries(zuzor-web PRIVATE zuzor_demo zuzor_platform)
set_target_properties(zuzor-web PROPERTIES OUTPUT_NAME zuzor SUFFIX .js)
# WebGL 2 alone, through the GL subset (no legacy GL emulation); the data files are written
# into the file system by the page before main runs; no thread, no exit.
target_link_options(zuzor-web PRIVATE
    -sENVIRONMENT=web
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=67108864
    -sMIN_WEBGL_VERSION=2
    -sMAX_WEBGL_VERSION=2
    -sFORCE_FILESYSTEM=1
    "-sEXPORTED_FUNCTIONS=[_main,_zuzor_web_start,_zuzor_web_stop,_zuzor_web_stills,_zuzor_web_profile,_zuzor_web_fill,_zuzor_web_wake]"
    "-sEXPORTED_RUNTIME_METHODS=[FS,ENV,ccall,UTF8ToString,addRunDependency,removeRunDependency]")
