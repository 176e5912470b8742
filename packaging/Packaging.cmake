# The Debian package: `cpack -G DEB` in a Release build makes zentrivo_<version>_<arch>.deb, which
# installs under /usr so that udev reads the touchpad rule where it lands.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentrivo)
set(CPACK_PACKAGE_VENDOR "Zentrivo developers")
set(CPACK_PACKAGE_CONTACT "Zentrivo developers <zentrivo@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "radial launcher for the X11 desktop")
# Debian shows each line of the long description as it is: keep them under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Zentrivo opens a ring of applications around the mouse pointer at a mouse\n\
button, a key or a touchpad gesture. Choosing a sector starts or brings\n\
forward its application; the ring also offers recently used applications and\n\
the ones running now. It lives in the system tray and is configured from its\n\
settings window or with zentrivoctl.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads the SVG icon engine as a plugin, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/deb/postinst ${CMAKE_CURRENT_LIST_DIR}/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# What Debian asks of a package and `cmake --install` has no use for: compressed manuals, the
# copyright and changelog files.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb/finish-tree.cmake)
set(CPACK_ZENTRIVO_DEB_DIR ${CMAKE_CURRENT_LIST_DIR}/deb)

include(CPack)
