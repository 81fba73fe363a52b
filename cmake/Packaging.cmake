# A Debian package of what `cmake --install` installs:  cpack -G DEB  (in the build folder).
set(CPACK_PACKAGE_NAME clipvane)
set(CPACK_PACKAGE_VENDOR "The Clipvane developers")
set(CPACK_PACKAGE_CONTACT "The Clipvane developers <developers@clipvane.example.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "media player for channel lists (澄影播放器)")
set(CPACK_PACKAGE_DESCRIPTION "A desktop media player for people who watch channels from a list.
Keep named play sources (local files, HTTP, HLS, UDP and RTSP streams) in a
text or M3U list, double-click a name and watch it in a compact window with
full screen, volume and a list panel. Live streams that drop reconnect by
themselves; the next channel is opened ahead, so that a channel change is
quick; channels are changed with the keyboard too.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://clipvane.example.com/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# Qt, FFmpeg and X11 are found by dpkg-shlibdeps. libvlc is opened with dlopen,
# which no library scan sees; the xcb platform plugin is loaded by Qt at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libvlc5 (>= 3.0), libvlc-bin, vlc-plugin-base, vlc-plugin-video-output, qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
