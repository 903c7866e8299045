# Host build of the definitions text layers and the readers of outside input
# that include no Windows headers, with AddressSanitizer and
# UndefinedBehaviorSanitizer, for their tests and the fuzz targets.
option(KESTRUNE_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(-Wall -Wextra ${SANITIZE})
if(KESTRUNE_FUZZ)
    # Coverage for the whole text layer, not only the entry point.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
add_link_options(${SANITIZE})

# The definitions folder and the folders of the readers below: nothing else of
# src/ is visible to the host build.
include(cmake/include_roots.cmake)
kestrune_include_root(text definitions platform update settings removal)
file(GLOB KESTRUNE_TEXT_SOURCES CONFIGURE_DEPENDS src/definitions/*.cpp)
list(FILTER KESTRUNE_TEXT_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
# The DLL export look-up, the regedit export reader, the update's release
# statement, version page and PEM keys, the backup's Manifest.ini and the
# ignore list's stored text (with the Type words it uses) read hostile input
# and include no Windows headers; nor do the path texts and trimming they may
# use.
list(APPEND KESTRUNE_TEXT_SOURCES src/platform/pe_exports.cpp src/platform/reg_export.cpp
     src/platform/paths.cpp src/platform/text_trim.cpp
     src/update/release_statement.cpp src/update/version_page.cpp src/update/pem.cpp
     src/removal/backup_manifest.cpp src/settings/ignore_entry.cpp src/platform/find.cpp)
# The item kinds' words, which the reference file's reader and checker use.
list(APPEND KESTRUNE_TEXT_SOURCES src/platform/item_kinds.cpp)
add_library(kestrune_text STATIC ${KESTRUNE_TEXT_SOURCES})
target_include_directories(kestrune_text PUBLIC ${KESTRUNE_TEXT_INCLUDE})

# The readers' fuzz targets, each built from tests/fuzz/fuzz_<target>.cpp, its
# seeds and kept inputs in tests/fuzz/<target>/.
set(KESTRUNE_READER_FUZZERS manifest pe_exports pem ignore_entry version_page)
set(reader_bodies ${KESTRUNE_READER_FUZZERS})
list(TRANSFORM reader_bodies PREPEND tests/fuzz/fuzz_)
list(TRANSFORM reader_bodies APPEND .cpp)
add_library(fuzz_markup STATIC tests/fuzz/fuzz_markup.cpp tests/fuzz/fuzz_reg_export.cpp
    tests/fuzz/fuzz_release.cpp ${reader_bodies})
target_link_libraries(fuzz_markup PUBLIC kestrune_text)
target_include_directories(fuzz_markup PRIVATE tests)

if(KESTRUNE_FUZZ)
    add_executable(markup_fuzzer tests/fuzz/fuzz_main.cpp)
    target_compile_options(markup_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_libraries(markup_fuzzer PRIVATE fuzz_markup -fsanitize=fuzzer)
    add_executable(reg_export_fuzzer tests/fuzz/fuzz_reg_export_main.cpp)
    target_compile_options(reg_export_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_libraries(reg_export_fuzzer PRIVATE fuzz_markup -fsanitize=fuzzer)
    add_executable(release_fuzzer tests/fuzz/fuzz_release.cpp)
    target_compile_definitions(release_fuzzer PRIVATE KESTRUNE_RELEASE_FUZZER)
    target_compile_options(release_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_libraries(release_fuzzer PRIVATE kestrune_text -fsanitize=fuzzer)
    foreach(target ${KESTRUNE_READER_FUZZERS})
        add_executable(${target}_fuzzer tests/fuzz/fuzz_${target}.cpp)
        target_compile_definitions(${target}_fuzzer PRIVATE KESTRUNE_FUZZ_ENTRY)
        target_include_directories(${target}_fuzzer PRIVATE tests)
        target_compile_options(${target}_fuzzer PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${target}_fuzzer PRIVATE kestrune_text -fsanitize=fuzzer)
    endforeach()
    return()
endif()

enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
kestrune_warnings_not_errors(gtest gtest_main gmock gmock_main)
# The portable definitions tests run here too, plus the host-only ones.
file(GLOB NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*_test.cpp)
foreach(portable markup_doc reference_text definitions_check)
    if(EXISTS ${CMAKE_SOURCE_DIR}/tests/definitions/${portable}_test.cpp)
        list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/definitions/${portable}_test.cpp)
    endif()
endforeach()
list(APPEND NATIVE_TESTS ${CMAKE_SOURCE_DIR}/tests/platform/pe_exports_test.cpp
                         ${CMAKE_SOURCE_DIR}/tests/platform/reg_export_test.cpp)
add_executable(native_tests tests/support/test_main.cpp ${NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE fuzz_markup gtest)
target_include_directories(native_tests PRIVATE tests)
target_compile_definitions(native_tests PRIVATE
    KESTRUNE_FUZZ_REGRESSIONS="${CMAKE_SOURCE_DIR}/tests/fuzz/regressions"
    KESTRUNE_RELEASE_REGRESSIONS="${CMAKE_SOURCE_DIR}/tests/fuzz/release"
    KESTRUNE_FUZZ_FOLDER="${CMAKE_SOURCE_DIR}/tests/fuzz")
add_test(NAME native_tests COMMAND native_tests)
