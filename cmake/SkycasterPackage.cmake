# Debian package of the installation: cpack -G DEB in the build folder makes skycaster_<version>_<arch>.deb.
# The package is the install step run with the prefix /usr (paths written into the units and the menu entry
# follow it), plus the files Debian asks for: copyright (crediting JMA's data) and changelog.
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/skycaster)
install(FILES ${PROJECT_SOURCE_DIR}/res/debian/copyright DESTINATION ${_doc})
# Compressed without a time stamp, as Debian wants it, when installing.
install(CODE "
  execute_process(COMMAND gzip -9 -n -c \"${PROJECT_SOURCE_DIR}/res/debian/changelog\"
                  OUTPUT_FILE \"${CMAKE_BINARY_DIR}/package/changelog.gz\" COMMAND_ERROR_IS_FATAL ANY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/package/changelog.gz\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${_doc}\")
")
# Manual pages of the two commands on the PATH, compressed the same way.
foreach(page skycaster.1 skycaster-forecastd.1)
  install(CODE "
    execute_process(COMMAND gzip -9 -n -c \"${PROJECT_SOURCE_DIR}/res/man/${page}\"
                    OUTPUT_FILE \"${CMAKE_BINARY_DIR}/package/${page}.gz\" COMMAND_ERROR_IS_FATAL ANY)
    file(INSTALL \"${CMAKE_BINARY_DIR}/package/${page}.gz\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1\")
  ")
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skycaster)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Skycaster maintainers <skycaster@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "weather forecast for Japan in the notification area and on the desktop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Skycaster shows the forecast of one Japanese city with an icon in the
notification area and a small frameless widget on the desktop: the forecast
picture, the city, the weather and the minimum and maximum temperature. A
details pop-up shows other days and neighbouring cities. The user interface is
Japanese.
.
The bundled service skycaster-forecastd builds the forecasts from the Japan
Meteorological Agency's public data (出典：気象庁ホームページ); a systemd user
socket starts it on the first request.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program's own libraries live in its folder (lib/skycaster), found through its run path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Installed with DESTDIR, so the paths written at install time are the package's (/usr/...), not the staging folder's.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
