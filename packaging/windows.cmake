# The Windows program as a reader gets it: one folder holding the program, the book beside it
# (the program opens Velmora.rtf from its working folder, which Explorer and the Start-menu
# shortcut make the program's own folder), Qt's DLLs and the plug-ins the program loads, and
# MinGW's run-time DLLs. Made into a portable zip and an MSI installer (wixl).
install(TARGETS velmora RUNTIME DESTINATION .)
install(FILES "${book}" DESTINATION . RENAME Velmora.rtf)
install(FILES ${VELMORA_QT_DLLS} ${VELMORA_MINGW_RUNTIME_DLLS} DESTINATION .)
# The window system, the native look, and the image readers Qt has no built-in one for: .ico
# (the button pictures) and JPEG (the book's pictures; PNG and bitmaps are read by Qt itself).
install(FILES ${VELMORA_QT_PLUGINS}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${VELMORA_QT_PLUGINS}/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${VELMORA_QT_PLUGINS}/imageformats/qico.dll
  ${VELMORA_QT_PLUGINS}/imageformats/qjpeg.dll DESTINATION imageformats)
# Qt is used under the LGPL 3 and MinGW's run-time under its own terms: their texts go along.
install(FILES copyright DESTINATION licences RENAME velmora.txt)
install(FILES /usr/share/common-licenses/LGPL-3 DESTINATION licences RENAME LGPL-3.txt)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION licences RENAME GPL-3.txt)
install(FILES /usr/share/doc/libqt6core6/copyright DESTINATION licences RENAME qt6-base.txt)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION licences
  RENAME mingw-w64.txt)

set(VELMORA_WINDOWS_ZIP
  ${CMAKE_BINARY_DIR}/velmora-${PROJECT_VERSION}-windows-x86_64.zip)
set(VELMORA_WINDOWS_MSI ${CMAKE_BINARY_DIR}/velmora-${PROJECT_VERSION}-x86_64.msi)
set(VELMORA_WINDOWS_ZIP ${VELMORA_WINDOWS_ZIP} PARENT_SCOPE)
set(VELMORA_WINDOWS_MSI ${VELMORA_WINDOWS_MSI} PARENT_SCOPE)
set(VELMORA_WINDOWS_ICON ${PROJECT_SOURCE_DIR}/resources/icons/velmora-windows.ico)
# The packaging step's arguments but the version and the output (the script itself comes last,
# after -P); the installer's tests run it again to make a package of another version.
set(VELMORA_WINDOWS_PACKAGING
  -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
  -D BUILD_DIR=${CMAKE_BINARY_DIR}
  -D FOLDER=velmora-${PROJECT_VERSION}
  -D WXS=${CMAKE_CURRENT_SOURCE_DIR}/velmora.wxs.in
  -D ICON=${VELMORA_WINDOWS_ICON}
  -D STRIP=${CMAKE_STRIP}
  -D RC=${CMAKE_RC_COMPILER})
set(VELMORA_WINDOWS_PACKAGING_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/make_windows_packages.cmake)
set(VELMORA_WINDOWS_PACKAGING ${VELMORA_WINDOWS_PACKAGING} PARENT_SCOPE)
set(VELMORA_WINDOWS_PACKAGING_SCRIPT ${VELMORA_WINDOWS_PACKAGING_SCRIPT} PARENT_SCOPE)
add_custom_command(
  OUTPUT ${VELMORA_WINDOWS_ZIP} ${VELMORA_WINDOWS_MSI} ${CMAKE_BINARY_DIR}/SHA256SUMS
  COMMAND ${CMAKE_COMMAND} ${VELMORA_WINDOWS_PACKAGING}
          -D VERSION=${PROJECT_VERSION}
          -D WORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/windows
          -D ZIP=${VELMORA_WINDOWS_ZIP}
          -D MSI=${VELMORA_WINDOWS_MSI}
          -P ${VELMORA_WINDOWS_PACKAGING_SCRIPT}
  DEPENDS velmora "${book}" ${CMAKE_CURRENT_SOURCE_DIR}/velmora.wxs.in
          ${CMAKE_CURRENT_SOURCE_DIR}/make_windows_packages.cmake
          ${CMAKE_CURRENT_SOURCE_DIR}/source_date_epoch.cmake ${VELMORA_WINDOWS_ICON}
  COMMENT "Making the Windows zip and installer"
  VERBATIM)
add_custom_target(windows_packages ALL
  DEPENDS ${VELMORA_WINDOWS_ZIP} ${VELMORA_WINDOWS_MSI} ${CMAKE_BINARY_DIR}/SHA256SUMS)
if(TARGET packaged_book)
  add_dependencies(windows_packages packaged_book)
else()
  add_dependencies(windows_packages sample_book)
endif()
