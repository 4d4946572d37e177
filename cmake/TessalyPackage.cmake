# The Debian package that scripts/package makes with `cpack`: the Debian games layout (the
# "debian" component of TessalyInstall.cmake) under /usr, its Depends computed from the
# programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL debian)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TESSALY_HOMEPAGE})
set(CPACK_PACKAGE_CONTACT ${TESSALY_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "brick-breaking arcade game with a level editor")
# The long description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Move the paddle with the mouse, keep up to three balls in play and clear
an 8 x 20 grid of bricks over fifteen levels. Bonus capsules widen the
paddle, arm a gun or a rocket, add balls or double the points; moving
barriers and creeping bricks stand in the way, and the best scores go
into a high-score table.
.
The package also holds the level editor, for levels of your own that the
game's launcher plays, and the tools tessaly-pack (the game's resource
packs) and tessaly-headless (the game's levels without a window).")
include(CPack)
