# The program folder of the Windows installation: the two programs, the shipped settings file
# and tables, the guides, Qt's DLLs with the platform plugins and the Vista style, the MinGW
# runtime DLLs that Qt's DLLs need, and Qt's German translation (Debian's qt6-translations-l10n;
# .qm files serve every platform). `cmake --install` lays it out; scripts/windows-package builds
# the setup program from it.
#
# The same runtime files are copied next to the programs in the build folder (bin/ and tests/),
# so the desktop program and its tests run from there under Wine exactly as installed.

# A program of the Windows subsystem: no console window opens beside the main window.
set_target_properties(velmoran PROPERTIES WIN32_EXECUTABLE ON VELMORAN_USES_QT ON)

find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin_dir ${qt_core_dll} DIRECTORY)
get_filename_component(qt_plugin_dir ${qt_bin_dir}/../plugins ABSOLUTE)

set(VELMORAN_QT_TRANSLATIONS /usr/share/qt6/translations CACHE PATH
    "Qt's translations (Debian's qt6-translations-l10n)")

# Pairs of file and folder in the program folder ("." for the folder itself).
set(runtime_files
  ${qt_bin_dir}/Qt6Core.dll .
  ${qt_bin_dir}/Qt6Gui.dll .
  ${qt_bin_dir}/Qt6Widgets.dll .
  ${qt_plugin_dir}/platforms/qwindows.dll platforms
  ${qt_plugin_dir}/platforms/qoffscreen.dll platforms
  ${qt_plugin_dir}/styles/qwindowsvistastyle.dll styles
  ${VELMORAN_QT_TRANSLATIONS}/qtbase_de.qm translations)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND runtime_files ${path} .)
endforeach()

list(LENGTH runtime_files count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET runtime_files ${i} file)
  list(GET runtime_files ${j} folder)
  if(NOT IS_ABSOLUTE "${file}" OR NOT EXISTS "${file}")
    message(FATAL_ERROR "The Windows program folder needs ${file}, which is missing")
  endif()
  install(FILES ${file} DESTINATION ${folder})
  file(COPY ${file} DESTINATION ${VELMORAN_PROGRAM_DIR}/${folder})
  file(COPY ${file} DESTINATION ${CMAKE_BINARY_DIR}/tests/${folder})
endforeach()

# The desktop tests need QtTest besides.
file(COPY ${qt_bin_dir}/Qt6Test.dll DESTINATION ${CMAKE_BINARY_DIR}/tests)

install(TARGETS velmoran velmoran-cli RUNTIME DESTINATION .)
install(DIRECTORY ${VELMORAN_PROGRAM_DIR}/ DESTINATION .
  FILES_MATCHING PATTERN "velmoran.ini" PATTERN "*.dbf" PATTERN "*.pdf"
                 PATTERN "Vorgehensweise_Velmoran.txt"
                 PATTERN "platforms" EXCLUDE PATTERN "styles" EXCLUDE
                 PATTERN "translations" EXCLUDE)
