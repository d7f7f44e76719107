# `cpack -G DEB` in a build folder makes the Debian package of the layout
# in install.cmake.
if(WIN32)
  return()
endif()

set(CPACK_PACKAGE_NAME finmaw)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Finmaw developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Underwater arcade game: steer a shark and bite the fish")
set(CPACK_PACKAGE_DESCRIPTION
  "Steer a hungry shark with the keyboard through an underwater scene and bite the fish that swim past; every fish eaten scores, some of them bite back.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) works out SDL and the C and C++ runtimes with
# their versions; without it SDL is named outright.
find_program(FINMAW_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(FINMAW_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0")
endif()

include(CPack)
