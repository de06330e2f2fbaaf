# `make package`: a Debian package of both programs, the menu entry and the
# icons. The shared libraries' packages are found by dpkg-shlibdeps; what the
# programs load at run time without linking it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quba)
set(CPACK_PACKAGE_VENDOR "QUBA developers")
set(CPACK_PACKAGE_CONTACT "QUBA developers <quba@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compresses a grey-level picture into a formula")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Genetic programming breeds expression trees over the two coordinates of a\n"
    "picture, and the best tree, evaluated at every cell, redraws it. The desktop\n"
    "program quba shows the evolution live, and quba-cli runs it headless.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window system plugins of Qt, a font for the desktop program, and the
# image plugins that read TIFF and WebP pictures.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quba.example.org/")
include(CPack)
