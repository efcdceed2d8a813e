# Shared helpers for the project's targets.

# Warnings for every target of ours; third-party code is not built here.
function(korvel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endfunction()

# korvel_library(name SOURCES ... [DEPS ...])
# One static library per layer; headers are included as "layer/File.h" from src/.
function(korvel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  korvel_warnings(${name})
endfunction()

# korvel_add_test(name SOURCES ... LIBS ...)
# A GoogleTest executable; each TEST becomes its own ctest entry, found when
# ctest runs so the build does not have to run the binaries.
function(korvel_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  korvel_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVEL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
