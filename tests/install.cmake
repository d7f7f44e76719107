# The installed layout and the Debian package: installs into a temporary
# root, runs the installed program there, then builds and unpacks the .deb.
if(NOT WIN32)
  add_test(NAME install_layout_and_package
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test_install.sh
      ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(install_layout_and_package PROPERTIES
    ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
    TIMEOUT 300)
endif()
