# The Debian package (cpack -G DEB, or scripts/package): everything cmake/Install.cmake
# installs, below /usr, with the library dependencies that dpkg-shlibdeps finds.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "density pictures and movies of located events")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Set with the change log in cmake/Install.cmake: no address unless DEBEMAIL gives one.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVANE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The banner of the main window is drawn in DejaVu Serif (another serif stands in without it).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-dejavu-core)
# The extended description; CPack puts the summary above it and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Korvane shows where and when a cloud of located events is dense, as from
seismic, micro-seismic or acoustic-emission monitoring. It reads an ASCII
list of events (x, y, z and t per line) and writes labelled density
pictures (BMP or PNG): slices of the cloud, time windows, or the event box
seen in perspective, with an index of the series (JSON) and, on request,
each picture's densities (TIFF). It turns a series of pictures into a
movie: AVI (Motion JPEG), MP4 (H.264, else MPEG-4), MKV (H.264, else FFV1)
or WebM (VP9, else VP8).

The package holds the desktop program korvane and korvane-batch, which runs
the same calculations from the command line.")

include(CPack)
