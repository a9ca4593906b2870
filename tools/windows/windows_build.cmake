# What the Windows build needs besides the compiler: the DLLs that go beside the program (Qt's
# and MinGW's run-time), and Wine to run the build's programs (the sample book's writer, rtfdump,
# the tests) on the Linux machine that builds them.
set(VELMORA_QT_DLLS
  ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}/Qt6Core.dll
  ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}/Qt6Gui.dll
  ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}/Qt6Widgets.dll)
set(VELMORA_QT_PLUGINS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})

set(VELMORA_MINGW_RUNTIME_DLLS "")
set(runtime_dirs "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "MinGW's ${dll} not found (tools/windows/ensure_toolchain.sh)")
  endif()
  file(REAL_PATH "${found}" found)
  list(APPEND VELMORA_MINGW_RUNTIME_DLLS ${found})
  get_filename_component(dir ${found} DIRECTORY)
  list(APPEND runtime_dirs ${dir})
endforeach()
list(REMOVE_DUPLICATES runtime_dirs)

# VELMORA_WINE_ENVIRONMENT is what tools/windows/wine_run.sh needs, for tests that call it.
if(NOT CMAKE_HOST_WIN32)
  set(dll_dirs ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} ${runtime_dirs})
  list(JOIN dll_dirs ":" dll_path)
  set(VELMORA_WINE_RUN ${PROJECT_SOURCE_DIR}/tools/windows/wine_run.sh)
  set(VELMORA_WINE_ENVIRONMENT
    VELMORA_WINE_PREFIX=${CMAKE_BINARY_DIR}/wine VELMORA_WINE_DLL_DIRS=${dll_path})
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${VELMORA_WINE_ENVIRONMENT} ${VELMORA_WINE_RUN})
endif()

# No link time in the programs and DLLs built here: two builds of one commit are the same bytes.
add_link_options(-Wl,--no-insert-timestamp)
