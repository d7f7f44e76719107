# A whole run of the real program under valgrind's memcheck, in an Xvfb
# window driven with xdotool: the release build, and the debug build whose
# log shows that every kind of fish was spawned during the checked run.
# Not in the sanitizer build: valgrind and AddressSanitizer do not mix.
# Skipped where valgrind, xvfb-run or xdotool is not installed.
if(NOT FINMAW_SANITIZE)
  set(FINMAW_VALGRIND_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/valgrind_run.sh)
  set(FINMAW_VALGRIND_SUPP ${CMAKE_CURRENT_LIST_DIR}/valgrind.supp)
  add_test(NAME valgrind_run
    COMMAND sh ${FINMAW_VALGRIND_SCRIPT} $<TARGET_FILE:finmaw> ${FINMAW_VALGRIND_SUPP})
  add_test(NAME valgrind_run_dbg
    COMMAND sh ${FINMAW_VALGRIND_SCRIPT} $<TARGET_FILE:finmaw_dbg> ${FINMAW_VALGRIND_SUPP})
  set_tests_properties(valgrind_run valgrind_run_dbg PROPERTIES
    SKIP_RETURN_CODE 77
    TIMEOUT 600
    RESOURCE_LOCK xserver)
endif()
