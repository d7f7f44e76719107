# Installation layout. The program finds its pictures in the folder beside
# the one that holds its executable (bin -> res), so both stay together in
# the game's own tree:
#   Windows: <prefix>/bin/finmaw.exe, <prefix>/res/*.bmp
#   others:  <prefix>/lib/finmaw/bin/finmaw, <prefix>/lib/finmaw/res/*.bmp,
#            <prefix>/bin/finmaw -> ../lib/finmaw/bin/finmaw and the same for
#            finmaw_dbg (the program resolves its own path through the link;
#            FINMAW_LINK_DIR names another folder than bin), a menu entry,
#            AppStream metadata, an icon, the manual page and the copyright.
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
  # Where the links that start the game go, under the prefix: bin by
  # default; the Debian package puts them in games (see package.cmake).
  set(FINMAW_LINK_DIR "bin" CACHE STRING "Folder, under the prefix, of the links that start the game")
  # Relative links, so they hold under DESTDIR and inside the package.
  file(RELATIVE_PATH FINMAW_LINK_TARGET /prefix/${FINMAW_LINK_DIR} /prefix/${FINMAW_INSTALL_DIR}/bin)
  set(FINMAW_LINKS ${CMAKE_BINARY_DIR}/install-link)
  file(MAKE_DIRECTORY ${FINMAW_LINKS})
  foreach(program finmaw finmaw_dbg)
    file(CREATE_LINK ${FINMAW_LINK_TARGET}/${program} ${FINMAW_LINKS}/${program} SYMBOLIC)
    install(FILES ${FINMAW_LINKS}/${program} DESTINATION ${FINMAW_LINK_DIR})
  endforeach()

  install(FILES ${PROJECT_SOURCE_DIR}/packaging/finmaw.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/io.github.finmaw.finmaw.metainfo.xml
    DESTINATION share/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/finmaw.png
    DESTINATION share/icons/hicolor/128x128/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION share/doc/finmaw)

  # The manual page, gzipped as manual pages are installed; finmaw_dbg's is
  # a link to it.
  find_program(FINMAW_GZIP gzip REQUIRED)
  set(FINMAW_MAN ${CMAKE_BINARY_DIR}/man)
  add_custom_command(OUTPUT ${FINMAW_MAN}/finmaw.6.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FINMAW_MAN}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/finmaw.6 ${FINMAW_MAN}/finmaw.6
    COMMAND ${FINMAW_GZIP} -9 -n -f ${FINMAW_MAN}/finmaw.6
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/finmaw.6
    VERBATIM)
  add_custom_target(finmaw_man ALL DEPENDS ${FINMAW_MAN}/finmaw.6.gz)
  file(MAKE_DIRECTORY ${FINMAW_MAN})
  file(CREATE_LINK finmaw.6.gz ${FINMAW_MAN}/finmaw_dbg.6.gz SYMBOLIC)
  install(FILES ${FINMAW_MAN}/finmaw.6.gz ${FINMAW_MAN}/finmaw_dbg.6.gz
    DESTINATION share/man/man6)
endif()
