# What an installation holds besides the programs (manual pages, AppStream
# metadata, the Debian documentation files, the station's systemd user unit)
# and the Debian package made from all install rules:
#   cmake --build --preset default --target package   ->  korvex_<version>_<arch>.deb

set(KORVEX_PACKAGE_MAINTAINER "Korvex maintainers <maintainers@users.noreply.c-seed-21b8cc96.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(KORVEX_SCREENSHOT_BASE_URL ""
    CACHE STRING "Web address where resources/screenshots/ is published; empty leaves the screenshot out of the AppStream metadata")

find_program(KORVEX_GZIP gzip REQUIRED)

# The date of this package: SOURCE_DATE_EPOCH when set, for a reproducible build.
string(TIMESTAMP KORVEX_PACKAGE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP KORVEX_PACKAGE_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(korvex_packaging_src ${PROJECT_SOURCE_DIR}/resources)
set(korvex_packaging_out ${CMAKE_BINARY_DIR}/resources)

# Manual pages: the version filled in, then compressed as Debian keeps them.
set(korvex_man_pages)
foreach(page korvex.1 ar8600-sim.1)
  configure_file(${korvex_packaging_src}/man/${page}.in ${korvex_packaging_out}/man/${page} @ONLY)
  add_custom_command(
    OUTPUT ${korvex_packaging_out}/man/${page}.gz
    COMMAND ${KORVEX_GZIP} -9 -n -c ${korvex_packaging_out}/man/${page} > ${korvex_packaging_out}/man/${page}.gz
    DEPENDS ${korvex_packaging_out}/man/${page}
    VERBATIM)
  list(APPEND korvex_man_pages ${korvex_packaging_out}/man/${page}.gz)
endforeach()

# The changelog a native Debian package carries.
configure_file(${korvex_packaging_src}/debian/changelog.in ${korvex_packaging_out}/debian/changelog @ONLY)
add_custom_command(
  OUTPUT ${korvex_packaging_out}/debian/changelog.gz
  COMMAND ${KORVEX_GZIP} -9 -n -c ${korvex_packaging_out}/debian/changelog > ${korvex_packaging_out}/debian/changelog.gz
  DEPENDS ${korvex_packaging_out}/debian/changelog
  VERBATIM)
add_custom_target(korvex_package_files ALL
  DEPENDS ${korvex_man_pages} ${korvex_packaging_out}/debian/changelog.gz)

# AppStream metadata into `output`; the screenshot only where it can be
# fetched from (`base_url`, the published resources/screenshots/ folder).
function(korvex_configure_metainfo output base_url)
  if(base_url)
    set(KORVEX_METAINFO_SCREENSHOTS
        "<screenshots>
    <screenshot type=\"default\">
      <caption>The bandscope sweeping 144 to 146 MHz on the simulated receiver</caption>
      <image>${base_url}/bandscope.png</image>
    </screenshot>
  </screenshots>")
  else()
    set(KORVEX_METAINFO_SCREENSHOTS "")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/resources/korvex.metainfo.xml.in ${output} @ONLY)
endfunction()
korvex_configure_metainfo(${korvex_packaging_out}/korvex.metainfo.xml "${KORVEX_SCREENSHOT_BASE_URL}")

install(FILES ${korvex_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${korvex_packaging_out}/korvex.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvex RENAME copyright)
install(FILES ${korvex_packaging_out}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvex)
# systemd user units of the program (the station's service), in the folder
# systemd searches for the prefix: /usr/lib/systemd/user or
# /usr/local/lib/systemd/user.
# A unit ending in .service.in names the installed program and is completed
# for the prefix first.
file(GLOB korvex_user_units CONFIGURE_DEPENDS ${korvex_packaging_src}/systemd/*.service)
file(GLOB korvex_user_unit_templates CONFIGURE_DEPENDS ${korvex_packaging_src}/systemd/*.service.in)
foreach(template ${korvex_user_unit_templates})
  get_filename_component(unit_name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" unit_name ${unit_name})
  configure_file(${template} ${korvex_packaging_out}/systemd/${unit_name} @ONLY)
  list(APPEND korvex_user_units ${korvex_packaging_out}/systemd/${unit_name})
endforeach()
if(korvex_user_units)
  install(FILES ${korvex_user_units} DESTINATION lib/systemd/user)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Korvex developers")
set(CPACK_PACKAGE_CONTACT ${KORVEX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the AR8600 communications receiver")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvex controls an AR8600 communications receiver over an RS-232 line from
the desktop: it tunes the receiver, reads and edits its memory and search
banks, keeps an activity log with optional WAV recordings, sweeps a band as
a bandscope, looks frequencies up in dBASE, Excel and CSV lists and lets
other programs control the receiver with the rigctld network protocol.
.
The package also holds ar8600-sim, a simulated receiver on a
pseudo-terminal, for trying the program without a receiver.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVEX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link, found by dpkg-shlibdeps; libmrqSnd.so is
# found in the package itself through the program's run path. Qt's xcb
# platform plugin comes with libqt6gui6, which that list names already.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded but not linked: the image and icon plugins that draw the SVG
# tool-bar icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The sound library opens ALSA's "default" device, which on a desktop with a
# sound server goes through ALSA's plugins; the help files open through
# xdg-open; rigctl is a ready client of the network control.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libhamlib-utils")
include(CPack)
