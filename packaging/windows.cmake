# The Windows program as a reader gets it: one folder holding the program, the book beside it
# (the program opens Velmora.rtf from its working folder, which Explorer and the Start-menu
# shortcut make the program's own folder), Qt's DLLs and the plug-ins the program loads, and
# MinGW's run-time DLLs. Made into a portable zip and an MSI installer (wixl).
install(TARGETS velmora RUNTIME DESTINATION .)
install(FILES "${book}" DESTINATION . RENAME Velmora.rtf)
install(FILES ${VELMORA_QT_DLLS} ${VELMORA_MINGW_RUNTIME_DLLS} DESTINATION .)
# The window system, the native look, and the reader of the .ico button pictures.
install(FILES ${VELMORA_QT_PLUGINS}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${VELMORA_QT_PLUGINS}/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${VELMORA_QT_PLUGINS}/imageformats/qico.dll DESTINATION imageformats)
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
configure_file(velmora.wxs.in velmora.wxs @ONLY)
add_custom_command(
  OUTPUT ${VELMORA_WINDOWS_ZIP} ${VELMORA_WINDOWS_MSI}
  COMMAND ${CMAKE_COMMAND}
          -D BUILD_DIR=${CMAKE_BINARY_DIR}
          -D WORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/windows
          -D FOLDER=velmora-${PROJECT_VERSION}
          -D WXS=${CMAKE_CURRENT_BINARY_DIR}/velmora.wxs
          -D ICON=${VELMORA_WINDOWS_ICON}
          -D STRIP=${CMAKE_STRIP}
          -D ZIP=${VELMORA_WINDOWS_ZIP}
          -D MSI=${VELMORA_WINDOWS_MSI}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/make_windows_packages.cmake
  DEPENDS velmora "${book}" ${CMAKE_CURRENT_BINARY_DIR}/velmora.wxs
          ${CMAKE_CURRENT_SOURCE_DIR}/make_windows_packages.cmake ${VELMORA_WINDOWS_ICON}
  COMMENT "Making the Windows zip and installer"
  VERBATIM)
add_custom_target(windows_packages ALL DEPENDS ${VELMORA_WINDOWS_ZIP} ${VELMORA_WINDOWS_MSI})
if(TARGET packaged_book)
  add_dependencies(windows_packages packaged_book)
else()
  add_dependencies(windows_packages sample_book)
endif()
