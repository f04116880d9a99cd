# The Debian package: `cpack -G DEB` in a build tree (scripts/package does
# the whole road). It holds what cmake --install puts under /usr; its
# dependencies are read from the libraries the programs link
# (dpkg-shlibdeps), so they follow whatever Qt and FFmpeg the build used.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR "korvel developers")
set(CPACK_PACKAGE_CONTACT "korvel developers <dev@korvel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video jump measurement for water-ski tournaments")
# The lines as the package shows them, each under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "One to three fixed cameras film the landing area beyond the jump ramp. The
operator calibrates each camera view from four surveyed buoys and a check
buoy, records each jump, steps to the frame of first contact and clicks the
impact point; korvel gives the distance in metres and feet and records it
for the scoring program.

The package holds korvel, korvel-tool (its calibration, measurement and video
code on the command line) and lensor (a screen magnifier for placing markers
to the pixel).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Folders as a package has them (0755), whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
