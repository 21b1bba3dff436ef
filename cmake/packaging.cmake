# What `cmake --install` puts where, and the packages cpack makes of it:
#   Linux (preset release):    cpack -G DEB  -> scenario-builder_<version>_amd64.deb
#   Windows (preset windows):  cpack -G ZIP  -> scenario-builder-<version>-windows.zip
# Each build installs only its own files: the .deb holds nothing for Windows,
# the zip nothing for Linux. The package version is the project version.

set(CPACK_PACKAGE_NAME scenario-builder)
set(CPACK_PACKAGE_VENDOR "Lungomare Nord")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The maintainer field dpkg requires; the address is a placeholder until the
# project has a public one.
set(CPACK_PACKAGE_CONTACT "Lungomare Nord scenario builders <scenario-builder@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "scenario builder and compiler for a train-driving simulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Writes the Lungomare_Nord scenario (train 911) and compiles scenario\n\
descriptions of your own (a line and a train, plain text) into the three\n\
binary files the simulator loads. Also inspects and renders compiled files,\n\
writes a template pair to start from, and serves editors as a language\n\
server.")
set(CPACK_VERBATIM_VARIABLES ON)
set(sb_doc_dir ${CMAKE_CURRENT_SOURCE_DIR}/docs)

if(WIN32)
  # The players' zip: both programs at the top of one folder, where the
  # players' program leaves the scenario beside itself.
  # The windows preset links them stripped already (-s).
  install(TARGETS scenario-builder Lungomare_Nord RUNTIME DESTINATION .)
  # Notepad before Windows 10 shows LF-only text on one line.
  configure_file(${sb_doc_dir}/players-readme.txt ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt ${sb_doc_dir}/authors.md
          DESTINATION .)
  # The editor extension with this build's program inside, when
  # tools/vscode-package.sh has made it (looked for at install time).
  set(SB_PLATFORM_VSIX ${CMAKE_CURRENT_SOURCE_DIR}/build/vscode/scenario-builder-win32-x64-${PROJECT_VERSION}.vsix
      CACHE FILEPATH "The editor extension to package, when it exists")
  install(FILES ${SB_PLATFORM_VSIX} DESTINATION . OPTIONAL)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME scenario-builder-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  include(GNUInstallDirs)
  install(TARGETS scenario-builder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # man finds pages gzipped; -n keeps the archive free of a timestamp, so
  # the same source gives the same package.
  set(sb_man_page ${CMAKE_CURRENT_BINARY_DIR}/package/scenario-builder.1)
  configure_file(${sb_doc_dir}/scenario-builder.1.in ${sb_man_page} @ONLY)
  set(sb_man ${sb_man_page}.gz)
  add_custom_command(OUTPUT ${sb_man}
    COMMAND gzip -9 -n -c ${sb_man_page} > ${sb_man}
    DEPENDS ${sb_man_page}
    COMMENT "Compressing the manual page")
  add_custom_target(sb_man_page ALL DEPENDS ${sb_man})
  install(FILES ${sb_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/completions/scenario-builder.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME scenario-builder)
  install(FILES ${sb_doc_dir}/authors.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/scenario-builder)

  # The editor extension with the Linux program inside, when
  # tools/vscode-package.sh has made it (looked for at install time, so
  # making it after configuring is enough).
  set(SB_PLATFORM_VSIX ${CMAKE_CURRENT_SOURCE_DIR}/build/vscode/scenario-builder-linux-x64-${PROJECT_VERSION}.vsix
      CACHE FILEPATH "The editor extension to package, when it exists")
  install(FILES ${SB_PLATFORM_VSIX} DESTINATION ${CMAKE_INSTALL_DATADIR}/scenario-builder OPTIONAL)

  set(CPACK_GENERATOR DEB)
  # The release build keeps its symbols; the package does not need them.
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
endif()

include(CPack)
