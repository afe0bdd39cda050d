# Installation and packages (README: Installing, Packaging):
#   cmake --install build [--prefix DIR]      DESTDIR works as usual
#   cpack --config build/CPackConfig.cmake    plotmuf_<version>_amd64.deb (Linux)
#   cpack --config build-windows/CPackConfig.cmake   plotmuf-<version>-win64.zip
# tests/packaging/ checks what these write.

include(GNUInstallDirs)
# What a plain install holds; the package adds the component "debian".
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME program)

set(PLOTMUF_MAINTAINER "plotmuf developer <dev@plotmuf.local>" CACHE STRING
    "Name <address> of the Debian package's maintainer")

# The parent folders an install makes: 0755, as Debian wants (CMake creates
# them through the umask, so a stricter umask still narrows them).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  # One folder: schedule.cmd finds plotmuf.exe beside itself.
  set(plotmuf_bin_dir .)
  set(plotmuf_doc_dir .)
else()
  set(plotmuf_bin_dir ${CMAKE_INSTALL_BINDIR})
  set(plotmuf_doc_dir ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS plotmuf RUNTIME DESTINATION ${plotmuf_bin_dir})
# The README as installed links to nothing that is not installed beside it:
# its pictures are left out, and each link into the repository becomes its
# text (links to its own headings stay).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS README.md)
file(READ README.md readme)
string(REGEX REPLACE "\n!\\[[^]]*\\]\\([^)]*\\)\n" "\n" readme "${readme}")
string(REGEX REPLACE "\\[([^]]*)\\]\\(([^#):]|[^#):][^):]*)\\)" "\\1" readme "${readme}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/packaging/README.md.new "${readme}")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/packaging/README.md.new ${CMAKE_CURRENT_BINARY_DIR}/packaging/README.md COPYONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/README.md canvas/FONT-NOTICE DESTINATION ${plotmuf_doc_dir})
# The JSON Schema of the feed that --feed writes, latest.json.
install(FILES docs/latest.schema.json DESTINATION ${plotmuf_doc_dir})
# Prometheus alerting rules for the figures of --metrics, an example to adapt.
install(FILES packaging/plotmuf-alerts.yml DESTINATION ${plotmuf_doc_dir}/examples)
# The licence beside them in the zip and in a plain install. The Debian
# package leaves it out (not in CPACK_COMPONENTS_ALL below): there its
# copyright file carries it, and lintian takes a second copy for an extra
# licence file.
install(FILES LICENSE DESTINATION ${plotmuf_doc_dir} COMPONENT licence)
# The example station as the repository holds it: not what a run in it left
# (charts, scratch bitmaps, hidden temporary files, .gitkeep). Its empty
# publication and archive folders stay, since plotmuf creates no folder.
install(DIRECTORY example/ DESTINATION ${plotmuf_doc_dir}/example
        PATTERN "*.gif" EXCLUDE
        PATTERN "*.bmp" EXCLUDE
        PATTERN ".*" EXCLUDE)

if(WIN32)
  # cmd.exe misreads a batch file with bare LF line ends.
  configure_file(packaging/schedule.cmd ${CMAKE_CURRENT_BINARY_DIR}/packaging/schedule.cmd @ONLY NEWLINE_STYLE CRLF)
  install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/packaging/schedule.cmd DESTINATION ${plotmuf_bin_dir})
else()
  # Debian wants the manual page and the changelog compressed, and without
  # the name and date gzip would record.
  find_program(PLOTMUF_GZIP gzip REQUIRED)
  set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
  foreach(file plotmuf.1 changelog)
    add_custom_command(OUTPUT ${packaging_out}/${file}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${file} ${packaging_out}/${file}
      COMMAND ${PLOTMUF_GZIP} -9nf ${packaging_out}/${file}
      DEPENDS packaging/${file}
      VERBATIM)
  endforeach()
  add_custom_target(plotmuf_compressed_docs ALL DEPENDS ${packaging_out}/plotmuf.1.gz ${packaging_out}/changelog.gz)
  install(FILES ${packaging_out}/plotmuf.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The machine-readable copyright file carries the font's notice whole:
  # its lines indented by one blank, its empty lines written " .".
  file(STRINGS canvas/FONT-NOTICE notice_lines)
  set(FONT_NOTICE "")
  foreach(line IN LISTS notice_lines)
    if(line STREQUAL "")
      set(line ".")
    endif()
    string(APPEND FONT_NOTICE " ${line}\n")
  endforeach()
  configure_file(packaging/copyright.in ${packaging_out}/copyright @ONLY)

  # What only the Debian package holds, left out of a plain install.
  install(FILES ${packaging_out}/copyright ${packaging_out}/changelog.gz DESTINATION ${plotmuf_doc_dir}
          COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
          RENAME plotmuf COMPONENT debian EXCLUDE_FROM_ALL)

  # The units name the program where this install puts it, which only the
  # install knows (cpack installs under /usr, cmake --install under
  # --prefix): they are written by the install itself. Not under the GNU
  # libdir, which is lib/<triplet> for /usr: systemd looks in lib/ only.
  set(unit_dir lib/systemd/system)
  install(DIRECTORY DESTINATION ${unit_dir})
  string(CONFIGURE [[
    foreach(unit plotmuf@.service plotmuf@.timer)
      set(PLOTMUF_BINARY "${CMAKE_INSTALL_PREFIX}/@plotmuf_bin_dir@/plotmuf")
      set(installed "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@unit_dir@/${unit}")
      message(STATUS "Installing: ${installed}")
      configure_file("@PROJECT_SOURCE_DIR@/packaging/${unit}" "${installed}" @ONLY)
      file(CHMOD "${installed}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
      list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${installed}")
    endforeach()
  ]] install_units @ONLY)
  install(CODE "${install_units}")
endif()

set(CPACK_PACKAGE_NAME plotmuf)
set(CPACK_PACKAGE_VENDOR "plotmuf")
set(CPACK_PACKAGE_CONTACT "${PLOTMUF_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MUF(3000)F2 charts of an ionospheric sounding station")
set(CPACK_PACKAGE_DESCRIPTION [[
plotmuf draws six charts, one for each of the last six days, of the
MUF(3000)F2 that a station's sounder scaled, beside the monthly forecast,
publishes them for the station's web page and archives each day's chart.
It runs unattended every few minutes from cron or from the systemd timer
it comes with, which no station uses until it is enabled for one.]])
# For the generators that show a licence (neither of the two made here does).
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME plotmuf-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  # One package of the plain install and the Debian-only files.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL program debian)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_DEBIAN_PACKAGE_NAME plotmuf)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
endif()
include(CPack)
