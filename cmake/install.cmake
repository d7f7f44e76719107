# Installation layout. The program finds its pictures in the folder beside
# the one that holds its executable (bin -> res), so both stay together in
# the game's own tree:
#   Windows: <prefix>/bin/finmaw.exe, <prefix>/res/*.bmp
#   others:  <prefix>/lib/finmaw/bin/finmaw, <prefix>/lib/finmaw/res/*.bmp,
#            <prefix>/bin/finmaw -> ../lib/finmaw/bin/finmaw (the program
#            resolves its own path through the link), a menu entry and an icon.
# Every "bin" in the tree's full path becomes "res" when the program looks
# for its pictures, so the prefix itself must not contain "bin".
if(WIN32)
  set(FINMAW_INSTALL_DIR "." CACHE STRING "Folder, under the prefix, of the game's bin/ and res/")
else()
  set(FINMAW_INSTALL_DIR "lib/finmaw" CACHE STRING "Folder, under the prefix, of the game's bin/ and res/")
endif()

install(TARGETS finmaw finmaw_dbg RUNTIME DESTINATION ${FINMAW_INSTALL_DIR}/bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/ DESTINATION ${FINMAW_INSTALL_DIR}/res
  FILES_MATCHING PATTERN "*.bmp")

if(NOT WIN32)
  # A relative link, so it holds under DESTDIR and inside the package.
  file(RELATIVE_PATH FINMAW_LINK_TARGET /prefix/bin /prefix/${FINMAW_INSTALL_DIR}/bin/finmaw)
  set(FINMAW_LINK_DIR ${CMAKE_BINARY_DIR}/install-link)
  file(MAKE_DIRECTORY ${FINMAW_LINK_DIR})
  file(CREATE_LINK ${FINMAW_LINK_TARGET} ${FINMAW_LINK_DIR}/finmaw SYMBOLIC)
  install(FILES ${FINMAW_LINK_DIR}/finmaw DESTINATION bin)

  install(FILES ${PROJECT_SOURCE_DIR}/packaging/finmaw.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/finmaw.png
    DESTINATION share/icons/hicolor/128x128/apps)
endif()
