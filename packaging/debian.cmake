# The Debian package: the program, its book in a data folder of its own, the menu entry that
# starts the program in that folder, the icon in the hicolor theme and the AppStream data.
include(GNUInstallDirs)
set(VELMORA_APP_ID org.velmora.Velmora)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${book}" DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora RENAME Velmora.rtf)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velmora-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME velmora.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velmora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The entry names the program and the book's folder by absolute paths, which are known only at
# install time: cpack installs under its own prefix (/usr), whatever this build was configured
# with. The copy written here is the one the tests validate.
set(entry_template ${CMAKE_CURRENT_SOURCE_DIR}/velmora.desktop.in)
set(VELMORA_EXEC ${CMAKE_INSTALL_FULL_BINDIR}/velmora)
set(VELMORA_DATA_FOLDER ${CMAKE_INSTALL_FULL_DATADIR}/velmora)
configure_file(${entry_template} ${VELMORA_APP_ID}.desktop @ONLY)
install(CODE "
  cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE prefix)
  set(bindir [[${CMAKE_INSTALL_BINDIR}]])
  set(datadir [[${CMAKE_INSTALL_DATADIR}]])
  cmake_path(ABSOLUTE_PATH bindir BASE_DIRECTORY \${prefix} NORMALIZE OUTPUT_VARIABLE VELMORA_EXEC)
  cmake_path(APPEND VELMORA_EXEC velmora)
  if(VELMORA_EXEC MATCHES \" \")
    set(VELMORA_EXEC \"\\\"\${VELMORA_EXEC}\\\"\")
  endif()
  cmake_path(ABSOLUTE_PATH datadir BASE_DIRECTORY \${prefix} NORMALIZE OUTPUT_VARIABLE share)
  set(VELMORA_DATA_FOLDER \${share}/velmora)
  set(entry \"\$ENV{DESTDIR}\${share}/applications/${VELMORA_APP_ID}.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file([[${entry_template}]] \${entry} @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \${entry})
")

# usr/share/doc/velmora: what Debian asks of every package (not DOCDIR, which takes the
# project's capital letter).
set(doc_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${doc_changelog}
  COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/changelog > ${doc_changelog}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/changelog
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${doc_changelog})
install(FILES copyright ${doc_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

# cpack -G DEB writes velmora_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for one book of numbered hadith in Albanian")
set(CPACK_PACKAGE_DESCRIPTION "\
Velmora shows one book, a collection of numbered hadith in Albanian, in one
scrolling view. It jumps to a hadith by its number, finds a word one
occurrence at a time, changes the text size of the whole book and copies the
selection. The book comes with the package; the menu entry opens it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The entry's paths are worked out from the prefix at install time, which cpack gives as the
# package's own only when it installs through DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Velmora developers <velmora@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces that stand in for the Windows fonts the windows and the book name: the metric twins
# of Arial, Times New Roman and Arial Narrow (also drawing MS Sans Serif), and a Naskh face for
# the Arabic; Amiri is 1 MB where Noto's core set is 30.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-hosny-amiri | fonts-noto-core")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

# The package and its checksum, made with the build where dpkg-shlibdeps (dpkg-dev) is there to
# work out the dependencies: build/packages/velmora_<version>_<arch>.deb and SHA256SUMS. cpack
# installs through the "preinstall" target, which would build everything, this package too,
# again; what the package holds is built first instead (DEPENDS).
find_program(VELMORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_arch
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(VELMORA_DEB_DIR ${CMAKE_BINARY_DIR}/packages)
set(VELMORA_DEB_DIR ${VELMORA_DEB_DIR} PARENT_SCOPE)
set(deb ${VELMORA_DEB_DIR}/velmora_${PROJECT_VERSION}_${deb_arch}.deb)
add_custom_command(OUTPUT ${deb} ${VELMORA_DEB_DIR}/SHA256SUMS
  COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${PROJECT_SOURCE_DIR} -D CPACK=${CMAKE_CPACK_COMMAND}
          -D CONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake -D OUT_DIR=${VELMORA_DEB_DIR}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/make_deb.cmake
  DEPENDS velmora package_changelog "${book}" ${CMAKE_CURRENT_SOURCE_DIR}/make_deb.cmake
          ${CMAKE_CURRENT_SOURCE_DIR}/source_date_epoch.cmake ${VELMORA_APP_ID}.metainfo.xml
          ${entry_template}
  COMMENT "Making the Debian package"
  VERBATIM)
if(VELMORA_DPKG_SHLIBDEPS AND deb_arch)
  add_custom_target(deb ALL DEPENDS ${deb})
else()
  add_custom_target(deb DEPENDS ${deb})
  message(STATUS "dpkg-shlibdeps not found (dpkg-dev, installed by ./test): the Debian package "
                 "is made only by the target deb")
endif()
if(TARGET packaged_book)
  add_dependencies(deb packaged_book)
else()
  add_dependencies(deb sample_book)
endif()

