# The Windows build's own checks under Wine: the installer and the program as a Windows reader
# meets them, at 100 % and at the scales laptops ship with (on an X server of their own), and rtfdump.exe against the Linux rtfdump.
# VELMORA_LINUX_BUILD names the Linux build whose rtfdump gives the expected bytes.
set(VELMORA_LINUX_BUILD "" CACHE PATH "The Linux build beside this one, for rtfdump's bytes")
add_test(NAME windows_e2e_installer
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows_installer.sh ${VELMORA_WINDOWS_MSI}
          ${VELMORA_WINDOWS_ZIP} ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(windows_e2e_installer PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
# At 120, 144 and 192 dots per inch: the pictures as drawn for the scale, the About window's
# texts whole, Shift+F10 in the view.
add_test(NAME windows_e2e_scaled
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows_scaled.sh ${VELMORA_WINDOWS_ZIP}
          ${CMAKE_SOURCE_DIR}/resources ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(windows_e2e_scaled PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
if(VELMORA_LINUX_BUILD)
  add_test(NAME windows_rtfdump_bytes
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_rtfdump_bytes.sh ${VELMORA_WINE_RUN}
            $<TARGET_FILE:rtfdump> ${VELMORA_LINUX_BUILD}/bin/rtfdump
            ${CMAKE_BINARY_DIR}/book/Velmora.rtf)
  set_tests_properties(windows_rtfdump_bytes PROPERTIES RESOURCE_LOCK velmora_wine
    ENVIRONMENT "${VELMORA_WINE_ENVIRONMENT}" TIMEOUT 120)
endif()
