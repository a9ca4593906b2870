# Installs the Windows build into a folder of its own and makes the zip and the MSI of it, and
# SHA256SUMS beside them. Two builds of one commit give the same bytes: every time in them is the
# commit's (source_date_epoch.cmake), every listing is sorted, and the installer's codes follow
# from the version and the contents.
# cmake -D SOURCE_DIR=... -D BUILD_DIR=... -D WORK_DIR=... -D FOLDER=... -D VERSION=...
#       -D WXS=... -D ICON=... -D STRIP=... -D RC=... -D ZIP=... -D MSI=... [-D BOOK=...] -P this
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
set(epoch ${velmora_source_date_epoch})
set(stage ${WORK_DIR}/${FOLDER})
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# strip writes the time into every program and DLL it strips: SOURCE_DATE_EPOCH's.
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage} --strip
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# --strip strips only what this project built; the DLLs beside it keep symbols no reader needs
# (MinGW's libstdc++ alone shrinks from 23 MB to 2 MB).
file(GLOB_RECURSE dlls ${stage}/*.dll)
execute_process(COMMAND ${STRIP} --strip-unneeded ${dlls} COMMAND_ERROR_IS_FATAL ANY)

# Another book in the package's place (the installer's upgrade test gives an older package
# a book of its own).
if(BOOK)
  file(COPY_FILE ${BOOK} ${stage}/Velmora.rtf)
endif()

# Every file and folder dated by the commit: the zip and the installer's cabinet carry them.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${WORK_DIR} ${stage}/*)
file(GLOB_RECURSE paths LIST_DIRECTORIES true RELATIVE ${WORK_DIR} ${stage}/*)
list(SORT files)
foreach(path IN LISTS paths ITEMS ${FOLDER})
  execute_process(COMMAND touch -h -d @${epoch} ${WORK_DIR}/${path} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The zip unpacks into one folder named after the program and its version.
file(REMOVE ${ZIP})
execute_process(
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/write_zip.py ${ZIP} ${WORK_DIR} ${files}
  COMMAND_ERROR_IS_FATAL ANY)

# The installer's product code follows from the version: a package built again for the same
# version is the same product to Windows Installer, never a second one beside it. The package
# code follows from what the package holds, as each different package needs its own.
set(upgrade_code 84A3D797-3C9E-4CBB-9921-7FD5E5BCD2BB)
string(UUID PRODUCT_CODE NAMESPACE ${upgrade_code} NAME "Velmora ${VERSION}" TYPE SHA1 UPPER)
file(SHA256 ${WXS} contents)
foreach(path IN LISTS files)
  file(SHA256 ${WORK_DIR}/${path} sum)
  string(APPEND contents " ${path} ${sum}")
endforeach()
string(UUID package_code NAMESPACE ${upgrade_code} NAME "${VERSION} ${contents}" TYPE SHA1 UPPER)
set(UPGRADE_CODE ${upgrade_code})
configure_file(${WXS} ${WORK_DIR}/velmora.wxs @ONLY)

# Every file but the program is listed by wixl-heat; the program's own entry, with its Start-menu
# shortcut, is in the main source.
set(listed ${files})
list(REMOVE_ITEM listed ${FOLDER}/velmora.exe)
list(JOIN listed "\n" listing)
file(WRITE ${WORK_DIR}/files.txt "${listing}\n")
execute_process(
  COMMAND wixl-heat --prefix ${FOLDER}/ --component-group VelmoraFiles --var var.SourceDir
          --directory-ref INSTALLDIR --win64
  INPUT_FILE ${WORK_DIR}/files.txt
  OUTPUT_FILE ${WORK_DIR}/files.wxs
  WORKING_DIRECTORY ${WORK_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
# wixl-heat names each folder at random: the names are numbered instead, in the listing's order.
file(READ ${WORK_DIR}/files.wxs source)
set(numbered "")
set(count 0)
while(source MATCHES "Directory Id=\"dir[0-9A-Fa-f]+\"")
  string(FIND "${source}" "${CMAKE_MATCH_0}" at)
  string(LENGTH "${CMAKE_MATCH_0}" length)
  string(SUBSTRING "${source}" 0 ${at} before)
  math(EXPR after "${at} + ${length}")
  string(SUBSTRING "${source}" ${after} -1 source)
  math(EXPR count "${count} + 1")
  string(APPEND numbered "${before}Directory Id=\"VelmoraFolder${count}\"")
endwhile()
file(WRITE ${WORK_DIR}/files.wxs "${numbered}${source}")

# wixl finds every file by a path relative to the folder it runs in. It dates the installer by
# the clock, which faketime sets to the commit's time.
file(COPY_FILE ${ICON} ${WORK_DIR}/velmora.ico)
file(REMOVE ${MSI})
string(TIMESTAMP clock "%Y-%m-%d %H:%M:%S" UTC)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC faketime "${clock}" wixl --arch x64
          -D SourceDir=${FOLDER} -D Win64=yes -o ${MSI} velmora.wxs files.wxs
  WORKING_DIRECTORY ${WORK_DIR}
  COMMAND_ERROR_IS_FATAL ANY)

# What wixl leaves undone: the package code it draws at random, and the versions of the
# programs and DLLs, without which Windows Installer takes them for unversioned files.
set(queries "")
foreach(path IN LISTS files)
  if(NOT path MATCHES "\\.(exe|dll)$")
    continue()
  endif()
  execute_process(COMMAND ${RC} -i ${WORK_DIR}/${path} -O rc
    OUTPUT_VARIABLE resources ERROR_QUIET)
  if(resources MATCHES "FILEVERSION ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)")
    get_filename_component(name ${path} NAME)
    set(version "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4}")
    list(APPEND queries -q
      "UPDATE `File` SET `Version` = '${version}' WHERE `FileName` = '${name}'")
  endif()
endforeach()
execute_process(COMMAND msibuild ${MSI} ${queries} COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND msibuild ${MSI} -s "Velmora ${VERSION}" "The Velmora developers" "x64;1033"
          "{${package_code}}"
  COMMAND_ERROR_IS_FATAL ANY)

# The downloads' checksums, as sha256sum -c reads them.
get_filename_component(downloads ${ZIP} DIRECTORY)
set(sums "")
foreach(package ${ZIP} ${MSI})
  file(SHA256 ${package} sum)
  get_filename_component(name ${package} NAME)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${downloads}/SHA256SUMS "${sums}")
