# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the Debian package's staged tree,
# after the install and before the .deb is made: the links that start the
# game move to games/, where Debian keeps games, and the files only a
# Debian package carries are added (changelog.gz, lintian overrides).
set(usr ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
if(NOT IS_DIRECTORY ${usr}/lib/finmaw)
  message(FATAL_ERROR "package-tree: no game tree in ${usr}")
endif()

if(NOT CPACK_FINMAW_LINK_DIR STREQUAL "games")
  file(MAKE_DIRECTORY ${usr}/games)
  foreach(program finmaw finmaw_dbg)
    # The links are relative and one folder deep either way, so they lead
    # to the same program from games/.
    file(RENAME ${usr}/${CPACK_FINMAW_LINK_DIR}/${program} ${usr}/games/${program})
  endforeach()
  file(GLOB left ${usr}/${CPACK_FINMAW_LINK_DIR}/*)
  if(NOT left)
    file(REMOVE_RECURSE ${usr}/${CPACK_FINMAW_LINK_DIR})
  endif()
endif()

# Copies keep their source's mode, which depends on how the tree was
# unpacked (git archive writes 664); the package's files are 644 whatever.
set(mode PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(doc ${usr}/share/doc/finmaw)
file(MAKE_DIRECTORY ${doc})
file(COPY_FILE ${CPACK_FINMAW_SOURCE_DIR}/packaging/debian/changelog ${doc}/changelog)
file(CHMOD ${doc}/changelog ${mode})
execute_process(COMMAND ${CPACK_FINMAW_GZIP} -9 -n -f ${doc}/changelog
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "package-tree: gzip failed on the changelog")
endif()

file(MAKE_DIRECTORY ${usr}/share/lintian/overrides)
file(COPY_FILE ${CPACK_FINMAW_SOURCE_DIR}/packaging/debian/lintian-overrides
  ${usr}/share/lintian/overrides/finmaw)
file(CHMOD ${usr}/share/lintian/overrides/finmaw ${mode})
