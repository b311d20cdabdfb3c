# Run at the end of `cmake --install`: lists the files just installed in KRELIN_INSTALLED_LIST for
# `make uninstall`. A staged install (DESTDIR set, as when CPack builds the .deb) is not recorded.
if("$ENV{DESTDIR}" STREQUAL "")
  string(REPLACE ";" "\n" installed "${CMAKE_INSTALL_MANIFEST_FILES}")
  file(WRITE "${KRELIN_INSTALLED_LIST}" "${installed}\n")
endif()
