# The Debian package, made from the build tree with
#   cpack -G DEB --config build/CPackConfig.cmake -B build/package
# It installs under /usr what `cmake --install` installs. The libraries the executables
# link are found by dpkg-shlibdeps; what is only loaded at run time is named here: Qt's
# platform plugins (in libqt6gui6: xcb and offscreen), the fonts the engine draws device
# text with, and xdg-utils, through which the Help menu and the wallpaper reach the desktop.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelvista)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Reelvista developers <reelvista@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browse and play Shockwave Flash movies")
set(CPACK_PACKAGE_DESCRIPTION
    "Reelvista lists folders of Shockwave Flash movies as grids of previews and plays them in a mini player or full screen with its own engine. It captures frames, sets wallpapers, builds and unpacks projectors, and has a movie screen saver and lock screen.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6 (>= 6.4), fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xss-lock")
# Quick to make and to unpack; the package is small either way.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
