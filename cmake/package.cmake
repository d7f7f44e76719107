# `cpack -G DEB` in a build folder makes the Debian package of the layout
# in install.cmake.
if(WIN32)
  return()
endif()

set(CPACK_PACKAGE_NAME finmaw)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Finmaw developers <finmaw@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "underwater arcade game: steer a shark and bite the fish")
# The long description under the summary, one line per line of the control
# file (under 80 columns each).
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Steer a hungry shark with the keyboard through an underwater scene and"
  "bite the fish that swim past. Every fish kind has its own way of moving;"
  "eaten fish add points to a six-digit score, swordfish and crabs cost"
  "health, and a bitten pufferfish costs all of it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The staged tree gets its Debian layout (links in /usr/games, changelog,
# lintian overrides) from packaging/debian/package-tree.cmake.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian/package-tree.cmake)
set(CPACK_FINMAW_SOURCE_DIR ${PROJECT_SOURCE_DIR})
# The same bytes from any folder at any time: see source-date.cmake.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/debian/source-date.cmake)
set(CPACK_FINMAW_LINK_DIR ${FINMAW_LINK_DIR})
set(CPACK_FINMAW_GZIP ${FINMAW_GZIP})
# dpkg-shlibdeps (dpkg-dev) works out SDL and the C and C++ runtimes with
# their versions; without it SDL is named outright.
find_program(FINMAW_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(FINMAW_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0")
endif()

include(CPack)
