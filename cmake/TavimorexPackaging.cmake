# What `cmake --install` puts on the system and the Debian packages `cpack -G DEB` makes of it:
#   tavimorex        the program, lensgrip-ctl, the Lensgrip library in the program's private library
#                    folder, the desktop entry, the icons and the AppStream data (component Runtime);
#   tavimorex-tools  the camera simulator and the OBS/vMix stand-ins (component Tools).
# Lensgrip's headers and its development link (component Devel) go in neither package.

set(TAVIMOREX_RELEASE_DATE "2026-12-10")
set(TAVIMOREX_RELEASE_DATE_RFC2822 "Thu, 10 Dec 2026 12:00:00 +0000")
set(TAVIMOREX_MAINTAINER "Tavimorex developers <maintainers@users.noreply.c-seed-6664aefd.example>")

set(packaging_src "${PROJECT_SOURCE_DIR}/resources/packaging")
set(packaging_out "${PROJECT_BINARY_DIR}/packaging")
set(TAVIMOREX_COMPONENT_tavimorex Runtime)
set(TAVIMOREX_COMPONENT_tavimorex-tools Tools)

# The desktop entry and the AppStream data carry the desktop id in their names, as software centres
# expect; the window's class (StartupWMClass) is the application name "tavimorex".
configure_file("${packaging_src}/tavimorex.desktop.in" "${packaging_out}/${TAVIMOREX_APP_ID}.desktop" @ONLY)
configure_file("${packaging_src}/tavimorex.metainfo.xml.in"
               "${packaging_out}/${TAVIMOREX_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${packaging_out}/${TAVIMOREX_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT Runtime)
install(FILES "${packaging_out}/${TAVIMOREX_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo" COMPONENT Runtime)

# The icon: its SVG source and the PNG sizes menus and docks ask for, rendered at build time.
set(icon_svg "${packaging_src}/tavimorex.svg")
set(icon_sizes 48 64 128 256)
set(icon_pictures)
foreach(size IN LISTS icon_sizes)
  list(APPEND icon_pictures "${icon_svg} icon-${size} ${size} ${size}")
endforeach()
tavimorex_render_svgs(icon_pngs OUTPUT_DIR "${packaging_out}/icons" PICTURES ${icon_pictures})
add_custom_target(tavimorex_icons ALL DEPENDS ${icon_pngs})
foreach(size IN LISTS icon_sizes)
  install(FILES "${packaging_out}/icons/icon-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME "${TAVIMOREX_APP_ID}.png" COMPONENT Runtime)
endforeach()
install(FILES "${icon_svg}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME "${TAVIMOREX_APP_ID}.svg" COMPONENT Runtime)

# The tools' programs, next to the product under their own names.
install(TARGETS tavimorex-switcherfakes RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Tools)

# Only the programs that load Lensgrip look in the private library folder.
set_target_properties(lensgrip tavimorex-ptzsim tavimorex-switcherfakes PROPERTIES INSTALL_RPATH "")

# Each package's copyright notice, changelog (Debian policy: /usr/share/doc/<package>/) and manual pages,
# compressed the reproducible way (gzip -n: no name, no time stamp).
function(tavimorex_gzip_at_build source out_var)
  add_custom_command(
    OUTPUT "${source}.gz"
    COMMAND gzip -9nkf "${source}"
    DEPENDS "${source}"
    VERBATIM)
  set(${out_var} "${source}.gz" PARENT_SCOPE)
endfunction()

set(compressed)
foreach(package IN ITEMS tavimorex tavimorex-tools)
  set(TAVIMOREX_PACKAGE "${package}")
  configure_file("${packaging_src}/changelog.in" "${packaging_out}/doc/${package}/changelog" @ONLY)
  tavimorex_gzip_at_build("${packaging_out}/doc/${package}/changelog" changelog_gz)
  list(APPEND compressed "${changelog_gz}")
  install(FILES "${packaging_src}/copyright" "${changelog_gz}"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}" COMPONENT ${TAVIMOREX_COMPONENT_${package}})
endforeach()

foreach(page IN ITEMS tavimorex:Runtime lensgrip-ctl:Runtime
                      tavimorex-ptzsim:Tools tavimorex-switcherfakes:Tools)
  string(REPLACE ":" ";" page "${page}")
  list(GET page 0 program)
  list(GET page 1 component)
  configure_file("${packaging_src}/man/${program}.1.in" "${packaging_out}/man/${program}.1" @ONLY)
  tavimorex_gzip_at_build("${packaging_out}/man/${program}.1" page_gz)
  list(APPEND compressed "${page_gz}")
  install(FILES "${page_gz}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT ${component})
endforeach()
add_custom_target(tavimorex_package_docs ALL DEPENDS ${compressed})

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tavimorex")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tavimorex developers")
set(CPACK_PACKAGE_CONTACT "${TAVIMOREX_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Depends from the libraries the programs really link (dpkg-shlibdeps). Qt's platform, image-format and
# TLS plug-ins the program loads at run time ship in libqt6gui6 and libqt6network6, which the program
# links anyway, so nothing is added by hand for it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "tavimorex")
# First line: the synopsis; CPack indents the rest and turns the empty line into " .".
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Control panel for PTZ cameras in live production
Tavimorex drives up to eight pan-tilt-zoom cameras from one window: network
cameras over VISCA on TCP port 5678 with their HTTP pages and RTSP streams,
and USB (UVC) cameras through its own library Lensgrip. Cameras are driven
from on-screen buttons, keyboard hotkeys, a game controller or any browser on
the show network (built-in web server and JSON API), with a live preview, a
clickable preset map and links to OBS Studio and vMix.

This package also holds lensgrip-ctl, which checks a USB camera without the
control panel.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME "tavimorex-tools")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION "devel")
# The simulator's RTSP streams are built from GStreamer elements it loads by name (appsrc and
# videoconvert from -base, rtph264pay from -good, x264enc from -ugly), which dpkg-shlibdeps cannot see;
# without them it runs without streams.
set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "Camera simulator and OBS/vMix stand-ins for Tavimorex
tavimorex-ptzsim simulates network PTZ cameras: their VISCA port, HTTP pages
and RTSP streams. tavimorex-switcherfakes stands in for OBS Studio
(obs-websocket 4.x and 5.x) and vMix. Both let Tavimorex be tried, shown and
tested without cameras or a production switcher.")

include(CPack)
