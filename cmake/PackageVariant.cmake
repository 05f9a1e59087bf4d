# Read by cpack before it packages: QUINDLE_PACKAGE=server in the
# environment makes the server package from a build that has the window too
# (the program is the same file either way; the window is a module apart).
if("$ENV{QUINDLE_PACKAGE}" STREQUAL "server")
  set(CPACK_PACKAGE_NAME quindle-server)
  set(CPACK_DEBIAN_PACKAGE_NAME quindle-server)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS quindle)
  set(CPACK_COMPONENTS_ALL program serverdoc)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_QUINDLE_SERVER_SUMMARY}")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_QUINDLE_SERVER_DESCRIPTION}")
endif()
