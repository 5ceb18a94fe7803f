# The Debian package (cpack -G DEB, see scripts/package) and the uninstall target.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunedesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tunedesk developers")
set(CPACK_PACKAGE_CONTACT "Tunedesk developers <tunedesk@tunedesk.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "settings and maintenance tool of the Daybrook calendar")
set(CPACK_PACKAGE_DESCRIPTION "Tunedesk edits what the Daybrook desktop calendar keeps on disk: its\n display presets, its holiday list and its per-day notes. It exports\n months of notes to a workbook or an iCalendar file, imports iCalendar\n events, and runs export, import and undo from the command line.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tunedesk.invalid/")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-nanum, qt6-translations-l10n")
include(CPack)

# Removes every file the last install placed (the bin/tunedesk link included),
# then the program's own folders when they are left empty.
configure_file(${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake.in ${CMAKE_BINARY_DIR}/Uninstall.cmake @ONLY)
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/Uninstall.cmake)
