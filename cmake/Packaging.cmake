# Installation and the Debian package.
#
# `cmake --install` puts, under the prefix:
#   bin/dravik, bin/dravik-script,       (their own install rules)
#   bin/dravik-rank
#   bin/dravik-start                     the launcher of the desktop entry
#   share/dravik/                        the shipped data files
#   share/applications/org.example.dravik.desktop   the desktop menu entry
#   share/metainfo/org.example.dravik.metainfo.xml  its AppStream description
#   share/man/man1/                      dravik(1), dravik-script(1), dravik-rank(1),
#                                        dravik-start(1)
#   share/icons/hicolor/*/apps/dravik.*  the application icon
#   share/doc/dravik/                    the user guide, its pictures, examples/,
#                                        copyright and changelog.Debian.gz
#
# Dravik opens its data files by bare name in the directory it runs in, so the
# data under share/dravik is never used in place: dravik-start copies what a
# user's working directory (~/Dravik) lacks and starts the program there.
#
# `cpack -G DEB` in a build configured with this file builds dravik_*.deb,
# installed under /usr, depending on the Qt runtime it was linked against.

set(DRAVIK_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)
cmake_path(NORMAL_PATH DRAVIK_PACKAGING_DIR)
set(DRAVIK_DOCS_DIR ${PROJECT_SOURCE_DIR}/docs)

# Shipped data: every file of data/shipped, so a file added there ships too.
file(GLOB DRAVIK_SHIPPED_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/shipped/*)
install(FILES ${DRAVIK_SHIPPED_FILES} DESTINATION share/dravik)

# The launcher finds the data as ../share/dravik beside itself, which holds
# for any prefix as long as programs and data keep these two folders.
install(PROGRAMS ${DRAVIK_PACKAGING_DIR}/dravik-start DESTINATION bin)

# The desktop entry's id (the file name) is the AppStream id too.
set(DRAVIK_APP_ID org.example.dravik)
install(FILES ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# Manual pages and the Debian changelog, compressed as Debian wants them:
# gzip -9 without a time stamp, so the package is the same on every build.
find_program(DRAVIK_GZIP gzip REQUIRED)
set(DRAVIK_COMPRESSED_DIR ${PROJECT_BINARY_DIR}/compressed)
set(DRAVIK_COMPRESSED)
foreach(page dravik dravik-script dravik-rank dravik-start)
    set(out ${DRAVIK_COMPRESSED_DIR}/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${DRAVIK_COMPRESSED_DIR}
        COMMAND ${DRAVIK_GZIP} -9 -n -c ${DRAVIK_PACKAGING_DIR}/man/${page}.1 > ${out}
        DEPENDS ${DRAVIK_PACKAGING_DIR}/man/${page}.1 VERBATIM)
    install(FILES ${out} DESTINATION share/man/man1)
    list(APPEND DRAVIK_COMPRESSED ${out})
endforeach()
set(changelog ${DRAVIK_COMPRESSED_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DRAVIK_COMPRESSED_DIR}
    COMMAND ${DRAVIK_GZIP} -9 -n -c ${DRAVIK_PACKAGING_DIR}/debian/changelog > ${changelog}
    DEPENDS ${DRAVIK_PACKAGING_DIR}/debian/changelog VERBATIM)
list(APPEND DRAVIK_COMPRESSED ${changelog})
add_custom_target(dravik_compressed_docs ALL DEPENDS ${DRAVIK_COMPRESSED})
install(FILES ${changelog} ${DRAVIK_PACKAGING_DIR}/debian/copyright DESTINATION share/doc/dravik)
# A first package closes no bug report of Debian's; the note says so to lintian.
install(FILES ${DRAVIK_PACKAGING_DIR}/debian/lintian-overrides
        DESTINATION share/lintian/overrides RENAME dravik)
install(FILES ${DRAVIK_PACKAGING_DIR}/icons/dravik.svg
        DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${DRAVIK_PACKAGING_DIR}/icons/dravik-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps
            RENAME dravik.png)
endforeach()

install(PROGRAMS ${PROJECT_SOURCE_DIR}/examples/rank-drivers.sh
        DESTINATION share/doc/dravik/examples)

if(EXISTS ${DRAVIK_DOCS_DIR}/user-guide.md)
    install(FILES ${DRAVIK_DOCS_DIR}/user-guide.md DESTINATION share/doc/dravik)
    install(DIRECTORY ${DRAVIK_DOCS_DIR}/images DESTINATION share/doc/dravik
            FILES_MATCHING PATTERN "*.png")
endif()

# ---- Debian package -------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravik)
set(CPACK_PACKAGE_VENDOR "Dravik")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://dravik.example.org/")
set(CPACK_PACKAGE_CONTACT "Dravik developers <dravik@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "loudspeaker enclosure designer for subwoofers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Dravik sizes subwoofer boxes from a driver's Thiele-Small parameters:\n"
    "vented boxes by the SBB4, SC4, maximally flat and ideal alignments or by\n"
    "an optimiser, closed boxes from a target Q, the vent, crossover presets\n"
    "and panel sizes, and it plots the simulated response. It also fits a\n"
    "driver's Thiele-Small parameters to impedance measurements (.zma files).\n"
    "\n"
    "The package also holds dravik-script, which drives the program from a\n"
    "script without a screen, and dravik-rank, which ranks every driver of a\n"
    "driver database by the same design figures, as a CSV table.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # dravik_<version>-<release>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The Qt libraries (the xcb and offscreen platform plugins come with
# libqt6gui6), GSL (the least-squares fit of the Measure Driver window) and
# Liberation Sans, which stands in for the Arial that the windows ask for.
# With dpkg-shlibdeps (package dpkg-dev) the library dependencies are read
# from the binaries themselves, with the versions they were linked against;
# without it they are named here.
find_program(DRAVIK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DRAVIK_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6charts6 (>= 6.4), libqt6svg6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libgsl27, libgslcblas0, libstdc++6, libc6, fonts-liberation")
endif()

# A source package from `make package_source` leaves out builds and history.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/;/\\\\.cache/")

include(CPack)
