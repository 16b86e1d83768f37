# The Debian package that `make deb` builds with CPack: what `cmake --install`
# installs under /usr, with its dependencies worked out by dpkg-shlibdeps,
# stripped programs, and the copyright and changelog Debian asks for.
include(GNUInstallDirs)

set(TP_PACKAGE_NAME trackporter)
set(TP_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${TP_PACKAGE_NAME})

# The changelog's newest entry names the version being packaged; a version
# raised in one place and not the other would give a package that lies.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog TP_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT TP_CHANGELOG_TOP MATCHES "^${TP_PACKAGE_NAME} \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog does not begin with version ${PROJECT_VERSION}: ${TP_CHANGELOG_TOP}")
endif()

find_program(TP_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND ${TP_GZIP} -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${TP_PACKAGE_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TP_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TrackPorter developers")
set(CPACK_PACKAGE_CONTACT "TrackPorter developers <trackporter@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "take exchange for TKR-series multitrack hard-disk recorders")
# The extended description: each line of it a line of the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
A TKR-series recorder keeps each song as a folder of take data files.
This program shows which takes a song holds, auditions them through a
16-channel mixer, exports them to WAV or AIFF (one take, a mixdown or a
master take), imports WAV, AIFF, FLAC and the other formats libsndfile
reads into takes, renames and deletes takes, archives whole recorder disks
as named WAV, AIFF or FLAC files that can be restored, and writes a song
as a DAWproject file.
.
The window is trackporter; trackporter-cli does the same from the command
line, with sound piped in and out.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Control files and folders as dpkg-deb itself would make them (lintian
# checks their modes).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
