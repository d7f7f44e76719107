# Runs the generator into a clean folder and checks every picture against res/.
# Expects ARTGEN, MAPS, OUT and EXPECTED to be set with -D.
foreach(var ARTGEN MAPS OUT EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND "${ARTGEN}" "${OUT}" "${MAPS}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "finmaw_artgen failed: ${rc}")
endif()

set(failed "")
foreach(name shark.bmp back.bmp fish_01.bmp font.bmp)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}/${name}" "${EXPECTED}/${name}"
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND failed ${name})
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "res/ differs from a fresh run for: ${failed}")
endif()
message(STATUS "all four pictures match res/")
