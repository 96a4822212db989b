# `make package`: Debian binary packages built by CPack from the install rules,
# one package per component:
#   lumavox        the programs, their data, desktop files and manual pages
#   libnvsocx1     libNVSOCX.so.1, the sign control, for host programs
#   libgprslink1   libGprslink.so.1, the GPRS gateway, for host programs
#   lumavox-dev    the headers, pkg-config files, plain-name links and section-3
#                  manual pages for building against the two libraries
# Dependencies come from the shared libraries the files actually link
# (dpkg-shlibdeps); the library packages carry shlibs so that packages built
# against them get theirs the same way.
# The packages carry the version the programs show (lumavox-cli --version, the
# About box).
file(STRINGS ${CMAKE_SOURCE_DIR}/editor/app/AboutBox.h version_line
     REGEX "kProgramVersion = \"[0-9.]+\";")
string(REGEX MATCH "[0-9][0-9.]*[0-9]" LUMAVOX_PACKAGE_VERSION "${version_line}")
if(NOT LUMAVOX_PACKAGE_VERSION)
    message(FATAL_ERROR "kProgramVersion not found in editor/app/AboutBox.h")
endif()
set(LUMAVOX_MAINTAINER "LUMAVOX developers <packages@lumavox.org>")

# Every package carries the copyright file and the changelog Debian requires in
# /usr/share/doc/<package>.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog > ${changelog}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog
    COMMENT "Compressing the package changelog")
add_custom_target(package_changelog ALL DEPENDS ${changelog})

set(LUMAVOX_COMPONENTS programs libnvsocx libgprslink dev)
get_target_property(nvsocx_soversion NVSOCX SOVERSION)
get_target_property(gprslink_soversion Gprslink SOVERSION)
set(package_programs lumavox)
set(package_libnvsocx libnvsocx${nvsocx_soversion})
set(package_libgprslink libgprslink${gprslink_soversion})
set(package_dev lumavox-dev)
foreach(component ${LUMAVOX_COMPONENTS})
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/debian/copyright ${changelog}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package_${component}}
            COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumavox)
set(CPACK_PACKAGE_VENDOR "LUMAVOX")
set(CPACK_PACKAGE_VERSION ${LUMAVOX_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT ${LUMAVOX_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${LUMAVOX_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The library packages declare their SONAMEs (shlibs) and run ldconfig through
# its trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_LIBNVSOCX_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers)
set(CPACK_DEBIAN_LIBGPRSLINK_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMAVOX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lumavox.org/")

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME ${package_programs})
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION electronics)
# Fonts: GNU Unifont draws text the sign's fonts lack on rows of 16 dots and
# more, DejaVu below that (Latin, Greek, Cyrillic, Arabic); WenQuanYi shows the
# shipped Simplified Chinese texts in the window. Noto widens the scripts
# covered.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_RECOMMENDS "fonts-unifont, fonts-dejavu-core, fonts-wqy-microhei")
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SUGGESTS "fonts-noto-core, fonts-noto-cjk")
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION
    "editor and tools for LED moving-message signs
LUMAVOX composes messages for multi-line LED moving-message signs with
colours, fonts, transition effects, speeds, pauses, dates, counters, graphics
and sub-windows, previews them, and sends them to the signs over a serial line
(RS-232), a telephone or GSM modem, TCP/IP, or GPRS modems calling in to its
gateway.

This package holds the editor lumavox, the command-line front end
lumavox-cli, the fleet service lumavox-server with an HTTP API and a web page
(a systemd user unit is included), and the virtual sign, modem and GPRS modem
signsim, modemsim and dtusim for trying everything without hardware.")

set(CPACK_DEBIAN_LIBNVSOCX_PACKAGE_NAME ${package_libnvsocx})
set(CPACK_DEBIAN_LIBNVSOCX_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBNVSOCX_DESCRIPTION
    "LUMAVOX sign control library
NVSOCX builds content for LED moving-message signs and sends it to them; a
host program drives it through a C interface and its own text protocol.")

set(CPACK_DEBIAN_LIBGPRSLINK_PACKAGE_NAME ${package_libgprslink})
set(CPACK_DEBIAN_LIBGPRSLINK_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBGPRSLINK_DESCRIPTION
    "LUMAVOX GPRS gateway library
Gprslink is a TCP server that GPRS modems (DTUs) connect to, with the DTUs'
configuration over a serial line, for host programs through a C interface.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${package_dev})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${package_libnvsocx} (= ${LUMAVOX_PACKAGE_VERSION}), ${package_libgprslink} (= ${LUMAVOX_PACKAGE_VERSION})")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "LUMAVOX libraries - development files
The C headers, pkg-config files (nvsocx, gprslink) and manual pages for
building host programs against the NVSOCX sign control and the Gprslink GPRS
gateway libraries.")

include(CPack)
