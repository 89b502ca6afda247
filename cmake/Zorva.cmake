# Shared build settings for the project's own targets.

set(ZORVA_SANITIZER_FLAGS "")
if(ZORVA_ASAN)
  list(APPEND ZORVA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()
if(ZORVA_TSAN)
  list(APPEND ZORVA_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
endif()
if(ZORVA_FUZZ)
  # Every library of a fuzz build carries coverage so that the fuzzer sees into it.
  list(APPEND ZORVA_SANITIZER_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
endif()
if(ZORVA_SANITIZER_FLAGS)
  add_compile_options(${ZORVA_SANITIZER_FLAGS})
  string(REPLACE ";" " " _zorva_san "${ZORVA_SANITIZER_FLAGS}")
  string(REPLACE "fuzzer-no-link," "" _zorva_san "${_zorva_san}")
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} ${_zorva_san}")
endif()

# Strict warnings on our own code only (Qt and GoogleTest headers come in as system headers).
function(zorva_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# zorva_add_gtest(NAME name [QT] SOURCES a.cpp b.cpp LIBS lib1 lib2 [TIMEOUT seconds] [LABELS l])
# One test executable is one CTest test; GUI tests run on the offscreen platform.
# QT: the test's main creates a QApplication first (for event loops, timers and widgets).
function(zorva_add_gtest)
  cmake_parse_arguments(T "QT" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  zorva_strict(${T_NAME})
  if(T_QT)
    set(_main zorva_qt_gtest_main)
  else()
    set(_main GTest::gtest_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${_main} GTest::gtest Threads::Threads)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZORVA_BIN_DIR=${ZORVA_RUNTIME_DIR}"
    LABELS "${T_LABELS}")
endfunction()

# zorva_windows_resource(target description): the program's icon and a version resource with
# the project's version, linked into a Windows executable. Stays out of zorva_strict: windres
# takes no compiler warnings.
function(zorva_windows_resource target description)
  set(ZORVA_ICON_FILE ${ZORVA_PICTURE_DIR}/zorva-config.ico)
  set(ZORVA_RC_NAME ${target})
  set(ZORVA_RC_DESCRIPTION ${description})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-version.rc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  add_library(${target}-resource OBJECT ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:${target}-resource>)
endfunction()
