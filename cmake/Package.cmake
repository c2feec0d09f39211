# `cpack -G DEB` (or plain `cpack`) makes a Debian package of everything `cmake --install`
# puts in place, with its library dependencies worked out by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "3D Zarvex")
set(CPACK_PACKAGE_CONTACT "3D Zarvex developers <zarvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a PDF into a page-turning book for the web")
set(CPACK_PACKAGE_DESCRIPTION
    "3D Zarvex imports a PDF document (all pages or a range, as Flash or image pages, with
its links and bookmarks) and publishes it as an interactive book that readers leaf
through in a web browser. A desktop application shows the book in a live preview while
its template, style, colours, background, logo, sound and buttons are adjusted; a page
editor places extra links and media on pages. The command line tool zarvex-cli
publishes books without a window.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "3D Zarvex developers <zarvex@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so the library scan cannot see them: the SVG pictures of
# the desktop application's buttons and About box.
if(TARGET zarvex)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
endif()
# Opening the published book and the manual goes through the desktop's default programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
