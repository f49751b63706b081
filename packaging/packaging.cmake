# Installation and the Debian package.
#
#   cmake --install build [--prefix DIR]   the program, its browser module,
#                                          artwork, menu entry and icons
#   (cd build && cpack -G DEB)             lumaro_<version>_<arch>.deb, for /usr
#
# The program finds its module and artwork from its own place
# (<prefix>/bin/../lib/lumaro, <prefix>/bin/../share/lumaro/assets), so any
# prefix works. The stand-in service is a test and demonstration tool: it is
# not installed.

install(TARGETS lumaro RUNTIME DESTINATION bin)
install(TARGETS lumaro_webkit LIBRARY DESTINATION lib/lumaro)
install(FILES ${LUMARO_ASSET_OUTPUTS} DESTINATION share/lumaro/assets)

# The menu entry and its icon in the sizes desktops look for first.
set(LUMARO_DESKTOP_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/lumaro.desktop)
install(FILES ${LUMARO_DESKTOP_FILE} DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/assets/lumaro.svg
        DESTINATION share/icons/hicolor/scalable/apps)
if(RSVG_CONVERT)
  set(LUMARO_ICON_OUTPUTS)
  foreach(size 48 256)
    set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/lumaro.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -f png -w ${size} -h ${size} -o ${icon}
              ${CMAKE_CURRENT_SOURCE_DIR}/assets/lumaro.svg
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/assets/lumaro.svg VERBATIM)
    list(APPEND LUMARO_ICON_OUTPUTS ${icon})
    install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(lumaro_icons ALL DEPENDS ${LUMARO_ICON_OUTPUTS})
else()
  message(WARNING "rsvg-convert not found: the 48x48 and 256x256 icons are not made")
endif()

if(LUMARO_BUILD_TESTS)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME Packaging.DesktopEntryIsValid
             COMMAND ${DESKTOP_FILE_VALIDATE} ${LUMARO_DESKTOP_FILE})
    set_tests_properties(Packaging.DesktopEntryIsValid PROPERTIES LABELS packaging)
  endif()
endif()

# ---------------------------------------------------------------- package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumaro")
set(CPACK_PACKAGE_CONTACT "Lumaro maintainers <maintainers@lumaro.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client of the Lumaro web visitor statistics service")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumaro maintainers <maintainers@lumaro.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Website owners sign in with it, see the visitors of their sites, chat\n\
with them, manage their sites, keywords and ads and recharge their credit.\n\
The service's pages are shown in an embedded WebKitGTK browser, inside\n\
windows of the program's own.")
# The libraries of the program and of its browser module, as dpkg-shlibdeps
# finds them; besides those, what is only loaded at run time: the SVG loader
# of gdk-pixbuf for the artwork, and xdg-open, which hands the new version's
# download and the messenger's addresses to the desktop.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "librsvg2-common, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei")
include(CPack)
