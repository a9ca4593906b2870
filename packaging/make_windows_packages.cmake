# Installs the Windows build into a folder of its own and makes the zip and the MSI of it.
# cmake -D BUILD_DIR=... -D WORK_DIR=... -D FOLDER=... -D WXS=... -D ICON=... -D STRIP=...
#       -D ZIP=... -D MSI=... -P this
set(stage ${WORK_DIR}/${FOLDER})
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage} --strip
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# --strip strips only what this project built; the DLLs beside it keep symbols no reader needs
# (MinGW's libstdc++ alone shrinks from 23 MB to 2 MB).
file(GLOB_RECURSE dlls ${stage}/*.dll)
execute_process(COMMAND ${STRIP} --strip-unneeded ${dlls} COMMAND_ERROR_IS_FATAL ANY)

# The zip unpacks into one folder named after the program and its version.
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${FOLDER}
  WORKING_DIRECTORY ${WORK_DIR} COMMAND_ERROR_IS_FATAL ANY)

# Every file but the program is listed by wixl-heat; the program's own entry, with its Start-menu
# shortcut, is in the main source.
file(GLOB_RECURSE files RELATIVE ${WORK_DIR} ${stage}/*)
list(REMOVE_ITEM files ${FOLDER}/velmora.exe)
list(SORT files)
list(JOIN files "\n" listing)
file(WRITE ${WORK_DIR}/files.txt "${listing}\n")
execute_process(
  COMMAND wixl-heat --prefix ${FOLDER}/ --component-group VelmoraFiles --var var.SourceDir
          --directory-ref INSTALLDIR --win64
  INPUT_FILE ${WORK_DIR}/files.txt
  OUTPUT_FILE ${WORK_DIR}/files.wxs
  WORKING_DIRECTORY ${WORK_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
# wixl finds every file by a path relative to the folder it runs in.
file(COPY_FILE ${WXS} ${WORK_DIR}/velmora.wxs)
file(COPY_FILE ${ICON} ${WORK_DIR}/velmora.ico)
file(REMOVE ${MSI})
execute_process(
  COMMAND wixl --arch x64 -D SourceDir=${FOLDER} -D Win64=yes -o ${MSI} velmora.wxs files.wxs
  WORKING_DIRECTORY ${WORK_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
