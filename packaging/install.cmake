# What `cmake --install` puts under the prefix, and the Debian package CPack
# makes of it (scripts/package):
#   bin/nimbo
#   share/applications/nimbo.desktop, share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/<N>x<N>/apps/nimbo.png (rendered from the window icon) and scalable/
#   share/man/man1/nimbo.1.gz, share/doc/nimbo/{copyright,changelog.gz}
# Nothing else of the build is installed: no simulated phone, no test, no tool.
include(GNUInstallDirs)

# The release the version belongs to, for the AppStream metadata.
set(NIMBO_RELEASE_DATE 2026-12-09)
set(NIMBO_ICON_SIZES 16 22 24 32 48 64 128 256)
set(NIMBO_APPSTREAM_ID example.tarnwick.nimbo)
set(nimbo_pkg_src ${CMAKE_CURRENT_LIST_DIR})
if(NIMBO_RENDER_PICTURES)
  set(nimbo_icon_renderer ${NIMBO_RENDER_PICTURES})
else()
  set(nimbo_icon_renderer nimbo-render-pictures)
endif()
set(nimbo_pkg_out ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS nimbo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${nimbo_pkg_src}/nimbo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${nimbo_pkg_src}/${NIMBO_APPSTREAM_ID}.metainfo.xml.in
               ${nimbo_pkg_out}/${NIMBO_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${nimbo_pkg_out}/${NIMBO_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The window icon (icon 128) for menus and launchers, at the sizes desktops ask
# for, rendered by the same tool and from the same source as the window's own.
set(nimbo_icon_svg ${CMAKE_SOURCE_DIR}/resources/icons/svg/icon_128.svg)
set(nimbo_icon_pngs "")
foreach(size ${NIMBO_ICON_SIZES})
  list(APPEND nimbo_icon_pngs ${nimbo_pkg_out}/hicolor/${size}x${size}/apps/nimbo.png)
endforeach()
add_custom_command(
  OUTPUT ${nimbo_icon_pngs}
  COMMAND ${nimbo_icon_renderer} --icon-theme ${nimbo_icon_svg} nimbo ${nimbo_pkg_out}/hicolor
          ${NIMBO_ICON_SIZES}
  DEPENDS ${nimbo_icon_renderer} ${nimbo_icon_svg}
  COMMENT "Rendering the desktop icons"
  VERBATIM)
# Manual page and Debian changelog: compressed without a time stamp, so that
# the package is the same bytes from one build to the next.
configure_file(${nimbo_pkg_src}/nimbo.1 ${nimbo_pkg_out}/nimbo.1 @ONLY)
configure_file(${nimbo_pkg_src}/debian/changelog ${nimbo_pkg_out}/changelog @ONLY)
foreach(doc nimbo.1 changelog)
  add_custom_command(
    OUTPUT ${nimbo_pkg_out}/${doc}.gz
    COMMAND gzip -9 -n -c ${nimbo_pkg_out}/${doc} > ${nimbo_pkg_out}/${doc}.gz
    DEPENDS ${nimbo_pkg_out}/${doc}
    VERBATIM)
endforeach()
add_custom_target(nimbo_install_files ALL
                  DEPENDS ${nimbo_icon_pngs} ${nimbo_pkg_out}/nimbo.1.gz ${nimbo_pkg_out}/changelog.gz)

foreach(size ${NIMBO_ICON_SIZES})
  install(FILES ${nimbo_pkg_out}/hicolor/${size}x${size}/apps/nimbo.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${nimbo_icon_svg} RENAME nimbo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${nimbo_pkg_out}/nimbo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${nimbo_pkg_src}/debian/copyright ${nimbo_pkg_out}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nimbo)

# The Debian package. Its dependencies are computed from the program's
# libraries by dpkg-shlibdeps; added by hand are what it starts or loads by
# name: adb (the program carries none in this build: NIMBO_SYSTEM_ADB), the Qt
# platform plugins, and a Song-style font for the Chinese texts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kelvo手机网 & Tarnwick")
set(CPACK_PACKAGE_CONTACT "Nimbo developers <nimbo@tarnwick.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "install APK files on an Android phone over adb")
set(CPACK_PACKAGE_DESCRIPTION
    "Nimbo installs APK files on an Android phone connected by USB, using the\n"
    "Android Debug Bridge. It also lists the phone's applications and backs\n"
    "their APK files up to the PC, lists the adb devices, and takes, shows and\n"
    "saves screenshots of the phone. Its window is in Simplified Chinese.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tarnwick.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adb, qt6-qpa-plugins, fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
