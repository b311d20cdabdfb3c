# Installing and packaging. On Linux the engine installs the way Debian's chess engines do:
#   <prefix>/games/krelin, krelin-dev          the engine and the developer tool
#   <prefix>/share/krelin/                     krelininit.txt and both books (the fallback data directory)
#   <prefix>/share/man/man6/krelin.6.gz        the manual page
#   <prefix>/share/games/plugins/xboard/krelin.eng   xboard's plug-in file: the engine by name
# `make package` builds a .deb of it with CPack. On Windows everything goes into one folder, packed
# as a zip with a text on setting the engine up in WinBoard and Arena.

file(STRINGS driver/Console.h KRELIN_VERSION_LINE REGEX "VersionText = \"[0-9]+\"")
string(REGEX REPLACE ".*\"([0-9]+)\".*" "\\1" KRELIN_VERSION "${KRELIN_VERSION_LINE}")
set(KRELIN_DATA_FILES data/krelininit.txt data/KrelinWhite.bk data/KrelinBlack.bk)

set(CPACK_PACKAGE_NAME krelin)
set(CPACK_PACKAGE_VERSION "${KRELIN_VERSION}")
set(CPACK_PACKAGE_VENDOR "KrelinChess developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine for xboard and WinBoard")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS krelin RUNTIME DESTINATION .)
  install(FILES ${KRELIN_DATA_FILES} DESTINATION .)
  # Windows users read it in Notepad: carriage returns before the line feeds.
  file(READ dist/Windows.txt KRELIN_WINDOWS_TEXT)
  string(REPLACE "\n" "\r\n" KRELIN_WINDOWS_TEXT "${KRELIN_WINDOWS_TEXT}")
  file(WRITE ${CMAKE_BINARY_DIR}/README.txt "${KRELIN_WINDOWS_TEXT}")
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "KrelinChess-${KRELIN_VERSION}-windows")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/krelin.6.gz
                     COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/dist/krelin.6 > ${CMAKE_BINARY_DIR}/krelin.6.gz
                     DEPENDS dist/krelin.6 VERBATIM)
  add_custom_target(krelin-manual ALL DEPENDS ${CMAKE_BINARY_DIR}/krelin.6.gz)
  install(TARGETS krelin krelin-dev RUNTIME DESTINATION ${KRELIN_PROGRAM_DESTINATION})
  install(FILES ${KRELIN_DATA_FILES} DESTINATION ${KRELIN_DATA_DESTINATION})
  install(FILES ${CMAKE_BINARY_DIR}/krelin.6.gz DESTINATION share/man/man6)
  install(FILES dist/krelin.eng DESTINATION share/games/plugins/xboard)

  # `make uninstall`: every file of the last install, the logs an engine run there left in its data
  # directory, and the folders the install made. The files are listed apart from CMake's own
  # install_manifest.txt, which CPack overwrites with the package's /usr paths when it stages the
  # .deb; a staged install (DESTDIR, as CPack does) is not recorded.
  set(KRELIN_INSTALLED_LIST ${CMAKE_BINARY_DIR}/krelin_installed.txt)
  install(CODE "set(KRELIN_INSTALLED_LIST \"${KRELIN_INSTALLED_LIST}\")")
  install(SCRIPT cmake/RecordInstall.cmake)
  add_custom_target(uninstall
                    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${KRELIN_INSTALLED_LIST}
                            -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KrelinChess developers <krelin@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the C library and the C++ runtime, nothing else
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xboard)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION  # CPack puts the summary line in front
      "KrelinChess speaks the xboard/WinBoard protocol, version 2. It plays from\ntwo opening books, thinks on the opponent's time and is listed in xboard by\nname (krelin).")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/dist/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
