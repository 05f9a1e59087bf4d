# cmake --install: the program and its companions under the prefix, in the
# layout the program looks for them (platform/InstallLayout.h), so the
# folder names are fixed here rather than taken from GNUInstallDirs.
#
# Components: "program" is everything an unattended run needs (also what a
# server package holds), "doc" the copyright and changelog; "window" adds the window module and what the
# desktop needs to offer the program (menu entry, file types, icon,
# software-centre entry).

install(TARGETS quindle RUNTIME DESTINATION bin COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/examples/sales.xlsx ${PROJECT_SOURCE_DIR}/examples/schedule.xlsx
              ${PROJECT_SOURCE_DIR}/examples/inventory.xls ${PROJECT_SOURCE_DIR}/examples/contacts.xls
        DESTINATION share/quindle/examples COMPONENT program)
if(QUINDLE_DOCS)
  install(FILES ${QUINDLE_MANUAL_HTML} DESTINATION share/doc/quindle/manual COMPONENT program)
  install(FILES ${QUINDLE_MAN_PAGE} DESTINATION share/man/man1 COMPONENT program)
endif()

# The Debian changelog, compressed the same way on every build.
set(_changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${_changelog}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/data/changelog > ${_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog)
add_custom_target(quindle_changelog ALL DEPENDS ${_changelog})
# A Debian package keeps these in /usr/share/doc/ under its own name: the
# server package's copy is installed only when that package is made.
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${_changelog} DESTINATION share/doc/quindle COMPONENT doc)
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${_changelog} DESTINATION share/doc/quindle-server
        COMPONENT serverdoc EXCLUDE_FROM_ALL)

if(QUINDLE_GUI)
  # A folder of its own below lib/quindle/: CPack takes a library directly in
  # a lib/ sub-folder for a system library and adds ldconfig scripts, which
  # would keep the package known to dpkg after its removal.
  install(TARGETS quindle_window LIBRARY DESTINATION lib/quindle/modules COMPONENT window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/quindle.desktop DESTINATION share/applications COMPONENT window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/quindle-mime.xml DESTINATION share/mime/packages RENAME quindle.xml
          COMPONENT window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/example.quindle.Converter.metainfo.xml DESTINATION share/metainfo
          COMPONENT window)
  # The icon the window uses too: the scalable SVG and the PNG sizes made from it.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/hicolor DESTINATION share/icons COMPONENT window
          FILES_MATCHING PATTERN "quindle.*")
endif()
