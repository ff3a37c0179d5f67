# The Debian package of the program: `cpack -G DEB` in a build directory (or
# scripts/package.sh). It holds what `cmake --install` installs: the program,
# its desktop entry and its icon.
set(KESTRIN_PACKAGE_MAINTAINER "Calibrator Kestrin maintainers <kestrin@localhost>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VENDOR "Calibrator Kestrin")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Calibrate and configure an infrared CO2 transmitter over its serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Calibrator Kestrin is the bench tool with which a service technician calibrates and \
configures an infrared CO2 transmitter: live reading and trend, zero and span calibration, \
relay levels, parameter files and a printed parameter sheet.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The Qt libraries the program links come from dpkg-shlibdeps. What Qt loads
# at run time it cannot see: the window-system plugins, the SVG icon engine,
# and a font (without one every text is drawn as empty boxes).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-dejavu-core")
include(CPack)
