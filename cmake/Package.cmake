# The Debian package: cpack -G DEB in the build folder makes
# k730_<version>_amd64.deb with the libraries it needs found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME k730)
set(CPACK_PACKAGE_VENDOR MERIDOX)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "MERIDOX <biuro@meridox.pl>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operate K-730 light meters over a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "K730 reads K-730 luxmeters, luminance meters, radiometers and PAR meters\n\
connected to a serial port, changes their settings, calibrates their\n\
4-20 mA loop output and keeps a calibration history, records measurement\n\
histories, programs meters in service and shows the raw serial traffic.\n\
The package also holds k730-tool, a command-line companion, and k730-sim,\n\
a meter simulator on a pseudo-terminal.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY k730)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "MERIDOX <biuro@meridox.pl>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.meridox.pl/en")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
