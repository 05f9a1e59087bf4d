# Debian packages through CPack (scripts/package runs it). Dependencies are
# computed by dpkg-shlibdeps from the shared libraries the program and the
# window module link, never written by hand. What the program loads itself
# (libcurl for web sources) cannot be seen there and is recommended.
#
# Two packages from the same install rules: "quindle" (the program and the
# window, for desktops) and "quindle-server" (the program alone: no Qt, no
# desktop files). A build with -DQUINDLE_GUI=OFF makes the server package;
# scripts/package --server makes it from any build by leaving the window
# component out.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VENDOR "Quindle")
set(CPACK_PACKAGE_CONTACT "Quindle <support@quindle.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quindle.example/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcurl4, xdg-utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert spreadsheet workbooks to HTML pages in batches")

if(QUINDLE_GUI)
  set(CPACK_PACKAGE_NAME quindle)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS quindle-server)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Quindle Converter turns spreadsheet workbooks (.xlsx, .xlsm, .xlsb, .xls) into
self-contained HTML pages that any browser opens, in batches of any size,
with its own spreadsheet engine: no office suite is needed.

A job is a project file that the window edits and that runs unattended
from the command line; Shard=K/N splits a large estate over many machines.

This package holds the program with its window and desktop integration;
quindle-server holds the program alone, without the window.")
  set(CPACK_COMPONENTS_ALL program doc window)
else()
  set(CPACK_PACKAGE_NAME quindle-server)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS quindle)
  set(CPACK_COMPONENTS_ALL program serverdoc)
endif()
# scripts/package --server packages a build with the window as the server
# package: cmake/PackageVariant.cmake, read by cpack, switches over.
set(CPACK_QUINDLE_SERVER_SUMMARY "convert spreadsheet workbooks to HTML pages in batches, no window")
set(CPACK_QUINDLE_SERVER_DESCRIPTION
    "Quindle Converter turns spreadsheet workbooks (.xlsx, .xlsm, .xlsb, .xls) into
self-contained HTML pages that any browser opens, in batches of any size,
with its own spreadsheet engine: no office suite is needed.

This package holds the program for unattended runs on servers, without the
window and without the desktop integration; Shard=K/N splits a large estate
over many machines.")
if(NOT QUINDLE_GUI)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_QUINDLE_SERVER_SUMMARY}")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_QUINDLE_SERVER_DESCRIPTION}")
endif()

set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageVariant.cmake)

include(CPack)
