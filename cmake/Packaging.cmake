# Installation and packages.
#
# The program looks for its template "_database.js" in the folder of its own
# executable file, so the two are always installed side by side:
#
#   Linux:   <prefix>/lib/zanthor/zanthor         the program
#            <prefix>/lib/zanthor/_database.js    its template
#            <prefix>/bin/zanthor                 link to ../lib/zanthor/zanthor
#            <prefix>/share/man/man1/zanthor.1.gz the manual
#   Windows: <prefix>/zanthor.exe, _database.js, README.txt, the example
#            search page and the example site, all in one folder.
#
# The link on the PATH works because the program takes its folder from the
# executable file as the system reports it (/proc/self/exe), with every link
# resolved.
#
# cpack builds a .deb from a Linux build and a .zip from a Windows build
# (scripts/package.sh makes both).

include(GNUInstallDirs)

set(ZANTHOR_README_TXT_SOURCE "${PROJECT_SOURCE_DIR}/packaging/README.txt.in")

if(WIN32)
  install(TARGETS zanthor RUNTIME DESTINATION .)
  install(FILES "${ZANTHOR_TEMPLATE}" DESTINATION .)

  # The short how-to, with Windows line ends whatever the checkout has.
  configure_file("${ZANTHOR_README_TXT_SOURCE}" "${PROJECT_BINARY_DIR}/README.txt" @ONLY NEWLINE_STYLE CRLF)
  install(FILES "${PROJECT_BINARY_DIR}/README.txt" DESTINATION .)

  # The example search page with the files it loads, and the example site
  # it searches once zanthor.exe has indexed it. An index made by an earlier
  # run (examples/database.js) is a build result, not part of them.
  file(GLOB ZANTHOR_EXAMPLE_FILES CONFIGURE_DEPENDS
    "${PROJECT_SOURCE_DIR}/examples/*.html"
    "${PROJECT_SOURCE_DIR}/examples/*.htm"
    "${PROJECT_SOURCE_DIR}/examples/*.js"
    "${PROJECT_SOURCE_DIR}/examples/*.css")
  list(FILTER ZANTHOR_EXAMPLE_FILES EXCLUDE REGEX "/_?database\\.js$")
  if(ZANTHOR_EXAMPLE_FILES)
    install(FILES ${ZANTHOR_EXAMPLE_FILES} DESTINATION .)
  endif()
  if(IS_DIRECTORY "${PROJECT_SOURCE_DIR}/examples/site")
    install(DIRECTORY "${PROJECT_SOURCE_DIR}/examples/site" DESTINATION .
      PATTERN "database.js" EXCLUDE)
  endif()
else()
  set(ZANTHOR_INSTALL_PROGRAMDIR "lib/zanthor" CACHE STRING
    "Folder, relative to the prefix, that holds the program and its template")
  install(TARGETS zanthor RUNTIME DESTINATION "${ZANTHOR_INSTALL_PROGRAMDIR}")
  install(FILES "${ZANTHOR_TEMPLATE}" DESTINATION "${ZANTHOR_INSTALL_PROGRAMDIR}")

  # The link on the PATH, relative so that the installed tree can be moved
  # (and staged by cpack) as a whole. The prefix is only known at install
  # time (cmake --install --prefix), so the link is made then.
  install(CODE "
    set(_zanthor_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    set(_zanthor_link \"\${_zanthor_root}/${CMAKE_INSTALL_BINDIR}/zanthor\")
    file(RELATIVE_PATH _zanthor_target \"\${_zanthor_root}/${CMAKE_INSTALL_BINDIR}\"
      \"\${_zanthor_root}/${ZANTHOR_INSTALL_PROGRAMDIR}/zanthor\")
    message(STATUS \"Installing: \${_zanthor_link} -> \${_zanthor_target}\")
    file(MAKE_DIRECTORY \"\${_zanthor_root}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${_zanthor_link}\")
    file(CREATE_LINK \"\${_zanthor_target}\" \"\${_zanthor_link}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_zanthor_link}\")
  ")

  # The manual, compressed as Debian and most distributions keep them
  # (-n: no name or time stamp in it, so that builds are reproducible).
  set(ZANTHOR_MANUAL "${PROJECT_SOURCE_DIR}/docs/zanthor.1")
  find_program(ZANTHOR_GZIP gzip)
  if(ZANTHOR_GZIP)
    set(_zanthor_manual_gz "${PROJECT_BINARY_DIR}/zanthor.1.gz")
    add_custom_command(OUTPUT "${_zanthor_manual_gz}"
      COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" "${ZANTHOR_GZIP}" "${ZANTHOR_MANUAL}" "${_zanthor_manual_gz}"
      DEPENDS "${ZANTHOR_MANUAL}"
      COMMENT "Compressing the manual"
      VERBATIM)
    add_custom_target(zanthor_manual ALL DEPENDS "${_zanthor_manual_gz}")
    install(FILES "${_zanthor_manual_gz}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  else()
    install(FILES "${ZANTHOR_MANUAL}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  endif()
  install(FILES "${PROJECT_SOURCE_DIR}/CHANGELOG.md" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
endif()

# --- Packages --------------------------------------------------------------

set(CPACK_PACKAGE_NAME "zanthor")
set(CPACK_PACKAGE_VENDOR "The zanthor developers")
set(CPACK_PACKAGE_CONTACT "The zanthor developers <zanthor@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "zanthor walks the pages, folders and wild-card patterns named on its command
line, takes the text between the tags of every .htm* and .php* page, and writes
database.js: a script with the arrays KeyString (the texts) and KeyLink (the
pages they are on), made from a template, for a search page that runs in the
browser with no server.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_zanthor_windows "win64")
  else()
    set(_zanthor_windows "win32")
  endif()
  set(CPACK_GENERATOR "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "zanthor-${PROJECT_VERSION}-${_zanthor_windows}")
  # Unpacked, the zip gives one folder of that name.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  # zanthor_<version>_<architecture>.deb
  set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
  set(CPACK_DEBIAN_PACKAGE_SECTION "web")
  set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  # The C and C++ runtime versions the program was linked against.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
