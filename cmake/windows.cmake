# The real program: 32-bit Windows, ANSI APIs, static runtime.
enable_language(RC)

set(KESTRUNE_DEPS "/opt/kestrune-deps" CACHE PATH "Where scripts/setup put minizip")

add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600 NOMINMAX)
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(minizip STATIC IMPORTED)
set_target_properties(minizip PROPERTIES
    IMPORTED_LOCATION "${KESTRUNE_DEPS}/minizip/lib/libminizip.a"
    INTERFACE_INCLUDE_DIRECTORIES "${KESTRUNE_DEPS}/minizip/include")
if(NOT EXISTS "${KESTRUNE_DEPS}/minizip/lib/libminizip.a")
    message(FATAL_ERROR "minizip is missing: run scripts/setup as root first")
endif()
find_library(ZLIB_STATIC NAMES libz.a z REQUIRED)

# The resource ids (res/resource.h) and the program's name and version
# (res/product.h), shared by the resources, the engine, the window, the tests
# and the window driver.
add_library(kestrune_resource_ids INTERFACE)
target_include_directories(kestrune_resource_ids INTERFACE res)

# The message table of the events in the Application log (res/kestrune_events.mc):
# windmc writes the ids (kestrune_events.h, for the engine) and the table's
# resource script, built into Kestrune.exe, the source's EventMessageFile.
find_program(KESTRUNE_WINDMC NAMES i686-w64-mingw32-windmc windmc REQUIRED)
set(KESTRUNE_EVENTS_DIR ${CMAKE_BINARY_DIR}/generated/res)
set(KESTRUNE_EVENTS_RC ${KESTRUNE_EVENTS_DIR}/kestrune_events.rc)
add_custom_command(OUTPUT ${KESTRUNE_EVENTS_DIR}/kestrune_events.h ${KESTRUNE_EVENTS_RC}
                          ${KESTRUNE_EVENTS_DIR}/MSG00409.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRUNE_EVENTS_DIR}
    COMMAND ${KESTRUNE_WINDMC} -h ${KESTRUNE_EVENTS_DIR} -r ${KESTRUNE_EVENTS_DIR}
            ${CMAKE_SOURCE_DIR}/res/kestrune_events.mc
    DEPENDS ${CMAKE_SOURCE_DIR}/res/kestrune_events.mc
    COMMENT "Compiling the event messages")
add_custom_target(kestrune_event_messages
    DEPENDS ${KESTRUNE_EVENTS_DIR}/kestrune_events.h ${KESTRUNE_EVENTS_RC})
target_include_directories(kestrune_resource_ids INTERFACE ${KESTRUNE_EVENTS_DIR})

# One library per layer, each seeing only its own folders and those of the
# layers below it (cmake/include_roots.cmake); scripts/check-layers states the
# order of the folders within a layer.
include(cmake/include_roots.cmake)
set(KESTRUNE_PLATFORM_FOLDERS platform)
set(KESTRUNE_ENGINE_FOLDERS definitions settings safety scan removal update)
set(KESTRUNE_WINDOW_FOLDERS ui app)
kestrune_include_root(platform ${KESTRUNE_PLATFORM_FOLDERS})
kestrune_include_root(engine ${KESTRUNE_ENGINE_FOLDERS})
kestrune_include_root(window ${KESTRUNE_WINDOW_FOLDERS})

# Win32 wrappers, texts, paths, folder listing, hives, finds, message boxes.
kestrune_layer_sources(KESTRUNE_PLATFORM_SOURCES ${KESTRUNE_PLATFORM_FOLDERS})
add_library(kestrune_platform STATIC ${KESTRUNE_PLATFORM_SOURCES})
target_include_directories(kestrune_platform PUBLIC ${KESTRUNE_PLATFORM_INCLUDE})
target_link_libraries(kestrune_platform PUBLIC shell32 gdi32 user32 advapi32 version)
# The event ids (kestrune_events.h) for the event of an exception stopped at a
# boundary (platform/boundary.h).
target_include_directories(kestrune_platform PRIVATE ${KESTRUNE_EVENTS_DIR})
add_dependencies(kestrune_platform kestrune_event_messages)
# Nearly every file includes <windows.h> and the same few standard headers:
# each library and program parses them once.
set(KESTRUNE_PRECOMPILED <windows.h> <string> <vector> <memory> <map> <functional>)
target_precompile_headers(kestrune_platform PRIVATE ${KESTRUNE_PRECOMPILED})

# The engine: definitions, settings, the protected places, scans, backup and
# removal, the update's transport. No window, no message pump.
kestrune_layer_sources(KESTRUNE_ENGINE_SOURCES ${KESTRUNE_ENGINE_FOLDERS})
add_library(kestrune_engine STATIC ${KESTRUNE_ENGINE_SOURCES})
target_include_directories(kestrune_engine PUBLIC ${KESTRUNE_ENGINE_INCLUDE})
target_link_libraries(kestrune_engine PUBLIC kestrune_platform kestrune_resource_ids
    minizip ${ZLIB_STATIC} wininet shlwapi ole32 shell32 advapi32 crypt32)
add_dependencies(kestrune_engine kestrune_event_messages)

# The public key an update's reference file must be signed with, built into
# the engine. The development key's private half is in the repository: a
# build for users names the operator's own public key here.
set(KESTRUNE_UPDATE_PUBLIC_KEY "${CMAKE_SOURCE_DIR}/data/keys/development-public.pem"
    CACHE FILEPATH "PEM public key (openssl rsa -pubout) that update downloads must be signed with")
if(NOT EXISTS "${KESTRUNE_UPDATE_PUBLIC_KEY}")
    message(FATAL_ERROR "KESTRUNE_UPDATE_PUBLIC_KEY names no file: ${KESTRUNE_UPDATE_PUBLIC_KEY}")
endif()
set(KESTRUNE_PUBLIC_KEY_INC ${CMAKE_BINARY_DIR}/generated/engine/update_public_key.inc)
add_custom_command(OUTPUT ${KESTRUNE_PUBLIC_KEY_INC}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${KESTRUNE_UPDATE_PUBLIC_KEY} -DOUTPUT=${KESTRUNE_PUBLIC_KEY_INC}
            -P ${CMAKE_SOURCE_DIR}/cmake/embed_bytes.cmake
    DEPENDS ${KESTRUNE_UPDATE_PUBLIC_KEY} ${CMAKE_SOURCE_DIR}/cmake/embed_bytes.cmake
    COMMENT "Building in the update's public key")
target_sources(kestrune_engine PRIVATE ${KESTRUNE_PUBLIC_KEY_INC})
target_precompile_headers(kestrune_engine PRIVATE ${KESTRUNE_PRECOMPILED})
target_include_directories(kestrune_engine PRIVATE ${CMAKE_BINARY_DIR}/generated/engine)

# The window: the program's dialogs, controls, questions and message pump.
# The engine and the console tool also build in a tree without it.
kestrune_layer_sources(KESTRUNE_WINDOW_SOURCES ${KESTRUNE_WINDOW_FOLDERS})
list(FILTER KESTRUNE_WINDOW_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")
if(KESTRUNE_WINDOW_SOURCES)
    add_library(kestrune_window STATIC ${KESTRUNE_WINDOW_SOURCES})
    target_include_directories(kestrune_window PUBLIC ${KESTRUNE_WINDOW_INCLUDE})
    target_link_libraries(kestrune_window PUBLIC kestrune_engine
        comctl32 comdlg32 shlwapi ole32 shell32 gdi32 user32)
    target_precompile_headers(kestrune_window PRIVATE ${KESTRUNE_PRECOMPILED})
endif()

# Sample definitions, packed into the default reference file next to the programs.
set(KESTRUNE_SAMPLE_MARKUP ${CMAKE_SOURCE_DIR}/data/definitions/sample.xml)
set(KESTRUNE_SAMPLE_KS ${CMAKE_BINARY_DIR}/kestrune_020404_v2.ks)
add_custom_command(OUTPUT ${KESTRUNE_SAMPLE_KS}
    COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/scramble.py ${KESTRUNE_SAMPLE_MARKUP} ${KESTRUNE_SAMPLE_KS}
    DEPENDS ${KESTRUNE_SAMPLE_MARKUP} ${CMAKE_SOURCE_DIR}/scripts/scramble.py
    COMMENT "Packing the sample reference file")
add_custom_target(sample_definitions ALL DEPENDS ${KESTRUNE_SAMPLE_KS})

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# CLI11 and nlohmann/json, header-only from Debian, for the console tool: only
# their own folders, through links in the build folder (the rest of
# /usr/include is Linux's and would shadow MinGW's headers).
set(KESTRUNE_CLI_LIBRARIES_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${KESTRUNE_CLI_LIBRARIES_INCLUDE})
foreach(library CLI nlohmann)
    if(NOT EXISTS /usr/include/${library})
        message(FATAL_ERROR "/usr/include/${library} is missing: run scripts/setup as root first")
    endif()
    file(CREATE_LINK /usr/include/${library} ${KESTRUNE_CLI_LIBRARIES_INCLUDE}/${library} SYMBOLIC)
endforeach()
add_library(kestrune_cli_libraries INTERFACE)
target_include_directories(kestrune_cli_libraries SYSTEM INTERFACE ${KESTRUNE_CLI_LIBRARIES_INCLUDE})

# The console tool, on the engine alone, with its own version information
# and manifest (tools/cli/kestrune-cli.rc).
file(GLOB KESTRUNE_CLI_SOURCES CONFIGURE_DEPENDS tools/cli/*.cpp tools/cli/*.rc)
add_executable(kestrune-cli ${KESTRUNE_CLI_SOURCES})
target_link_libraries(kestrune-cli PRIVATE kestrune_engine kestrune_cli_libraries)
target_precompile_headers(kestrune-cli PRIVATE ${KESTRUNE_PRECOMPILED})

# The window driver of the end-to-end tests (a console program).
file(GLOB KESTRUNE_WINDRIVER_SOURCES CONFIGURE_DEPENDS tools/windriver/*.cpp)
if(KESTRUNE_WINDRIVER_SOURCES)
    # The table of resource names it accepts in place of numbers, made from
    # res/resource.h at build time.
    set(KESTRUNE_RESOURCE_NAMES ${CMAKE_BINARY_DIR}/generated/resource_names.inc)
    add_custom_command(OUTPUT ${KESTRUNE_RESOURCE_NAMES}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/res/resource.h
                -DOUTPUT=${KESTRUNE_RESOURCE_NAMES} -P ${CMAKE_SOURCE_DIR}/cmake/resource_names.cmake
        DEPENDS ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/cmake/resource_names.cmake
        COMMENT "Listing the resource names for the window driver")
    add_executable(windriver ${KESTRUNE_WINDRIVER_SOURCES} ${KESTRUNE_RESOURCE_NAMES})
    target_include_directories(windriver PRIVATE ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(windriver PRIVATE kestrune_resource_ids user32)
endif()

# The GUI program, once its entry point exists.
if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/winmain.cpp)
    file(GLOB KESTRUNE_RC CONFIGURE_DEPENDS res/*.rc)
    add_executable(Kestrune WIN32 src/app/winmain.cpp ${KESTRUNE_RC} ${KESTRUNE_EVENTS_RC})
    target_link_libraries(Kestrune PRIVATE kestrune_window)
    # res for the resource scripts' headers; the events' folder for the
    # message table's binary that their script names.
    target_include_directories(Kestrune PRIVATE res ${KESTRUNE_EVENTS_DIR})
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
    add_subdirectory(bench)
endif()

include(CTest)
if(BUILD_TESTING)
    add_subdirectory(tests)
endif()
