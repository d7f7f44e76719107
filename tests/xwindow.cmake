# The program in a real X window under Xvfb, driven with xdotool: keys sent
# to the window (debug build, whose log shows each spawn) and a SIGTERM
# (release build). Skipped where xvfb-run or xdotool is not installed.
set(FINMAW_XWINDOW_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/test_xwindow.sh)
add_test(NAME xwindow_keys COMMAND sh ${FINMAW_XWINDOW_SCRIPT} $<TARGET_FILE:finmaw_dbg> keys)
add_test(NAME xwindow_term COMMAND sh ${FINMAW_XWINDOW_SCRIPT} $<TARGET_FILE:finmaw> term)
set_tests_properties(xwindow_keys xwindow_term PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 120
  RESOURCE_LOCK xserver)
