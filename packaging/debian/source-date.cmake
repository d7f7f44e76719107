# Read by CPack before it makes the package (CPACK_PROJECT_CONFIG_FILE): the
# package's file times and archive headers are SOURCE_DATE_EPOCH, as
# scripts/source-date-epoch.sh gives it (the variable once checked, or the
# last commit's date); it stops the package when there is none.
execute_process(COMMAND ${CPACK_FINMAW_SOURCE_DIR}/scripts/source-date-epoch.sh
  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
