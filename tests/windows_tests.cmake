# The Windows build's own checks under Wine: the installer and the program as a Windows reader
# meets them, at 100 % and at every scale above (on an X server of their own), and rtfdump.exe
# against the Linux rtfdump.
# VELMORA_LINUX_BUILD names the Linux build whose rtfdump gives the expected bytes.
set(VELMORA_LINUX_BUILD "" CACHE PATH "The Linux build beside this one, for rtfdump's bytes")
add_test(NAME windows_e2e_installer
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows_installer.sh ${VELMORA_WINDOWS_MSI}
          ${VELMORA_WINDOWS_ZIP} ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(windows_e2e_installer PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
# At the dots per inch of each scale above 100 %: the pictures as drawn for the scale, the window
# icon in the sizes Windows asks for, the About window's texts whole, Shift+F10 in the view.
set(dpis_above_96 ${VELMORA_SCALE_DPIS})
list(REMOVE_ITEM dpis_above_96 96)
add_test(NAME windows_e2e_scaled
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows_scaled.sh ${VELMORA_WINDOWS_ZIP}
          ${CMAKE_SOURCE_DIR}/resources ${CMAKE_CURRENT_BINARY_DIR} ${dpis_above_96})
set_tests_properties(windows_e2e_scaled PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
# rtfdump.exe on the parser's cases (rtf-cases/) prints what rtfdump prints on Linux, and, where
# a Linux build stands beside, the same bytes on the sample book.
add_test(NAME windows_rtf_cases
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/rtf_cases.py --run ${VELMORA_WINE_RUN} $<TARGET_FILE:rtfdump>
          ${CMAKE_CURRENT_SOURCE_DIR}/rtf-cases)
set_tests_properties(windows_rtf_cases PROPERTIES RESOURCE_LOCK velmora_wine
  ENVIRONMENT "${VELMORA_WINE_ENVIRONMENT}" TIMEOUT 600)
if(VELMORA_LINUX_BUILD)
  add_test(NAME windows_rtfdump_bytes
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_rtfdump_bytes.sh ${VELMORA_WINE_RUN}
            $<TARGET_FILE:rtfdump> ${VELMORA_LINUX_BUILD}/bin/rtfdump
            ${CMAKE_BINARY_DIR}/book/Velmora.rtf)
  set_tests_properties(windows_rtfdump_bytes PROPERTIES RESOURCE_LOCK velmora_wine
    ENVIRONMENT "${VELMORA_WINE_ENVIRONMENT}" TIMEOUT 120)
endif()

# The installer read table by table (msiinfo), and as Windows Installer takes an upgrade, with
# MSIs the packaging step makes again: an older version, and the same version with other
# contents, each with a small book of its own.
set(other_packages ${CMAKE_CURRENT_BINARY_DIR}/other_packages)
file(WRITE ${other_packages}/Velmora.rtf "{\\rtf1\\ansi Libri i vjet\\'ebr.\\par}\n")
foreach(version 1.9 2.0)
  add_test(NAME windows_msi_of_${version}
    COMMAND ${CMAKE_COMMAND} ${VELMORA_WINDOWS_PACKAGING} -D VERSION=${version}
            -D WORK_DIR=${other_packages}/${version}/work
            -D ZIP=${other_packages}/${version}/velmora.zip
            -D MSI=${other_packages}/${version}/velmora.msi
            -D BOOK=${other_packages}/Velmora.rtf -P ${VELMORA_WINDOWS_PACKAGING_SCRIPT})
  set_tests_properties(windows_msi_of_${version} PROPERTIES FIXTURES_SETUP velmora_other_msis
    TIMEOUT 120)
endforeach()
add_test(NAME windows_msi_tables
  COMMAND sh -c "python3 \"$1\" \"$2\" \"$3\" \"$4\" other-version && python3 \"$1\" \"$2\" \"$3\" \"$5\" same-version"
          msi_tables ${CMAKE_CURRENT_SOURCE_DIR}/msi_checks.py ${VELMORA_WINDOWS_MSI}
          ${VELMORA_WINDOWS_ZIP} ${other_packages}/1.9/velmora.msi ${other_packages}/2.0/velmora.msi)
set_tests_properties(windows_msi_tables PROPERTIES FIXTURES_REQUIRED velmora_other_msis)
add_test(NAME windows_e2e_upgrade
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows_upgrade.sh ${other_packages}/1.9/velmora.msi
          ${other_packages}/Velmora.rtf ${VELMORA_WINDOWS_MSI} ${VELMORA_PACKAGED_BOOK})
set_tests_properties(windows_e2e_upgrade PROPERTIES FIXTURES_REQUIRED velmora_other_msis
  TIMEOUT 300 RUN_SERIAL TRUE)
