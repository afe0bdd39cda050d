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
# The README as installed names only files installed beside it, under
# their installed names: the passages about the sources (from a line
# "<!-- sources -->" to a line "<!-- /sources -->") and its pictures are
# left out, a link to a file installed under another name links to that
# name, and any other link into the repository becomes its text (links to
# its own headings stay). The Debian package's copy links the licence as
# the file that carries it there, copyright.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS README.md)
file(READ README.md readme)
while(TRUE)
  string(FIND "${readme}" "\n<!-- sources -->\n" begin)
  if(begin EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${readme}" ${begin} -1 rest)
  string(FIND "${rest}" "\n<!-- /sources -->\n" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "README.md: a line <!-- sources --> without a line <!-- /sources --> after it")
  endif()
  string(SUBSTRING "${readme}" 0 ${begin} before)
  math(EXPR end "${end} + 19")
  string(SUBSTRING "${rest}" ${end} -1 rest)
  set(readme "${before}\n${rest}")
endwhile()
# Each link [repository name](repository name) of a file installed under
# another name, held aside while the other links become their text.
set(readme_renames canvas/FONT-NOTICE FONT-NOTICE packaging/plotmuf-alerts.yml examples/plotmuf-alerts.yml
    docs/latest.schema.json latest.schema.json LICENSE LICENSE)
set(renames ${readme_renames})
set(index 0)
while(renames)
  list(POP_FRONT renames from to)
  string(REPLACE "[${from}](${from})" "@installed_name_${index}@" readme "${readme}")
  math(EXPR index "${index} + 1")
endwhile()
string(REGEX REPLACE "\n!\\[[^]]*\\]\\([^)]*\\)\n" "\n" readme "${readme}")
string(REGEX REPLACE "\\[([^]]*)\\]\\(([^#):]|[^#):][^):]*)\\)" "\\1" readme "${readme}")
foreach(package plain debian)
  set(text "${readme}")
  set(renames ${readme_renames})
  set(index 0)
  while(renames)
    list(POP_FRONT renames from to)
    if(package STREQUAL debian AND from STREQUAL LICENSE)
      set(to copyright)
    endif()
    string(REPLACE "@installed_name_${index}@" "[${to}](${to})" text "${text}")
    math(EXPR index "${index} + 1")
  endwhile()
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/packaging/${package}/README.md.new "${text}")
  configure_file(${CMAKE_CURRENT_BINARY_DIR}/packaging/${package}/README.md.new
                 ${CMAKE_CURRENT_BINARY_DIR}/packaging/${package}/README.md COPYONLY)
endforeach()
install(FILES canvas/FONT-NOTICE DESTINATION ${plotmuf_doc_dir})
# The JSON Schema of the feed that --feed writes, latest.json.
install(FILES docs/latest.schema.json DESTINATION ${plotmuf_doc_dir})
# Prometheus alerting rules for the figures of --metrics, an example to adapt.
install(FILES packaging/plotmuf-alerts.yml DESTINATION ${plotmuf_doc_dir}/examples)
# The licence, and the README that links it, in the zip and in a plain
# install. The Debian package leaves both out (not in CPACK_COMPONENTS_ALL
# below): there its copyright file carries the licence, and lintian takes a
# second copy for an extra licence file; its README comes with the Debian
# component.
install(FILES LICENSE ${CMAKE_CURRENT_BINARY_DIR}/packaging/plain/README.md DESTINATION ${plotmuf_doc_dir}
        COMPONENT not_debian)
# The example station as the repository holds it, file by file from
# packaging/example-files.txt (`git ls-files example`, which test
# ExampleFiles holds it to): never what a run in it left there. A .gitkeep
# stands for its folder, installed empty, since plotmuf creates no folder.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/example-files.txt)
file(STRINGS packaging/example-files.txt example_files)
set(example_folders "")
foreach(path IN LISTS example_files)
  get_filename_component(folder "${path}" DIRECTORY)
  list(FIND example_folders "${folder}" index)
  if(index EQUAL -1)
    list(LENGTH example_folders index)
    list(APPEND example_folders "${folder}")
    set(example_files_in_${index} "")
  endif()
  get_filename_component(name "${path}" NAME)
  if(NOT name STREQUAL ".gitkeep")
    list(APPEND example_files_in_${index} "${path}")
  endif()
endforeach()
set(index 0)
foreach(folder IN LISTS example_folders)
  install(DIRECTORY DESTINATION ${plotmuf_doc_dir}/${folder})
  if(example_files_in_${index})
    install(FILES ${example_files_in_${index}} DESTINATION ${plotmuf_doc_dir}/${folder})
  endif()
  math(EXPR index "${index} + 1")
endforeach()

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
  install(FILES ${packaging_out}/copyright ${packaging_out}/changelog.gz ${packaging_out}/debian/README.md
          DESTINATION ${plotmuf_doc_dir} COMPONENT debian EXCLUDE_FROM_ALL)
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
