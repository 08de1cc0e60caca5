# Warnings and test registration shared by every target.

function(velmoran_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
    if(VELMORAN_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(VELMORAN_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# velmoran_add_gtest(name SOURCES ...): a GoogleTest executable linked to the core.
function(velmoran_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE velmoran_core GTest::gtest_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    VELMORAN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VELMORAN_PROGRAM_DIR="${VELMORAN_PROGRAM_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  velmoran_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# velmoran_add_qttest(name SOURCES ...): a QtTest executable linked to the desktop library.
function(velmoran_add_qttest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE velmoran_desktop Qt6::Test ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    VELMORAN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VELMORAN_PROGRAM_DIR="${VELMORAN_PROGRAM_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    AUTOMOC ON VELMORAN_USES_QT ON)
  velmoran_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set(env QT_QPA_PLATFORM=offscreen)
  if(CMAKE_CROSSCOMPILING AND WIN32)
    # Under Wine, Qt's offscreen platform takes its fonts from a folder: the DejaVu fonts the
    # tests see on Linux; QtTest writes its report to the debugger on Windows unless told to
    # use the standard streams. Wine hands no QT_ variable to Windows programs but those
    # written WINEQT_ (it keeps Linux's Qt settings from Windows' Qt).
    list(APPEND env QT_QPA_FONTDIR=Z:/usr/share/fonts/truetype/dejavu QT_FORCE_STDERR_LOGGING=1)
    list(TRANSFORM env PREPEND WINE)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "${env}")
endfunction()
