# What "cmake --install" puts where, and the Debian package CPack makes of it. Tests, benchmarks,
# fuzz targets and the stand-in companion (a tool for watching the link, not a companion a user
# runs) are never installed.
include(GNUInstallDirs)

# The program finds its shipped files from its own folder (bin/../share/kovela), so these two
# folders must stay siblings under one prefix.
set(KOVELA_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/kovela")

install(TARGETS kovela kovela-sim RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# The beacon schedule each new program folder starts from; users edit their own copy.
install(FILES "${PROJECT_SOURCE_DIR}/src/tools/resources/IARU_Beacons.dat"
        DESTINATION "${KOVELA_INSTALL_DATADIR}")
# The guide is read by the program, so it lives with the program's data rather than in
# share/doc, which minimal systems are often set to leave out.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/help/" DESTINATION "${KOVELA_INSTALL_DATADIR}/help")
# The world map is built into the program; its origin and credit go with the documents.
install(FILES "${PROJECT_SOURCE_DIR}/src/tools/resources/worldmap-origin.txt" README.md
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/kovela")

if(NOT UNIX OR APPLE)
    return()
endif()

# The freedesktop menu entry and icon, and the Debian package.
install(FILES "${PROJECT_SOURCE_DIR}/dist/kovela.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
set(kovela_icons "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(FILES "${PROJECT_SOURCE_DIR}/dist/icons/kovela.svg"
        DESTINATION "${kovela_icons}/scalable/apps")
foreach(size IN ITEMS 48 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/dist/icons/kovela-${size}.png"
            DESTINATION "${kovela_icons}/${size}x${size}/apps" RENAME kovela.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kovela)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Kovela project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "controls the AR5000 wide-band communications receiver")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kovela tunes the receiver, watches its signal, keeps its memory channels in\n"
    "local tables, drives its searches and scans, keeps an activity log and sweeps\n"
    "a spectrum. It talks to the receiver over a serial line or through another\n"
    "Kovela over TCP, and runs on a built-in simulated receiver without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Whatever the build type, the package carries no debugging symbols.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kovela developers <kovela@example.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kovela.example.invalid/")
# The linked libraries (Qt, SQLite, shapelib, pxlib, ALSA) become Depends through dpkg-shlibdeps.
# What Qt loads as plugins is not linked: the X11 platform and JPEG plugins come with libqt6gui6,
# which is linked; Wayland sessions without XWayland need qt6-wayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# "Set system time" from the beacon window asks systemd-timedated, and a sound server records
# the receiver's audio; the program runs without either.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "systemd, pulseaudio | pipewire-pulse")
include(CPack)
