# finmaw_library(<name> SOURCES <files...> [INCLUDE <dir>] [LINKS <ours...>]
#                [EXTERNAL <others...>])
#
# Defines <name> (the release build) and <name>_dbg (FINMAW_DEBUG=1, which
# turns on the DEBUG log lines every module has). LINKS names our own
# libraries without the suffix: the release variant links their release
# variants and the _dbg variant their _dbg ones, so a program never mixes
# the two. EXTERNAL is linked into both as it is. INCLUDE is the folder the
# library's headers are named from; it is handed on to whoever links it.
function(finmaw_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "INCLUDE" "SOURCES;LINKS;EXTERNAL")
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "finmaw_library(${name}): no SOURCES")
  endif()
  foreach(suffix "" "_dbg")
    set(target ${name}${suffix})
    add_library(${target} STATIC ${arg_SOURCES})
    if(arg_INCLUDE)
      target_include_directories(${target} PUBLIC ${arg_INCLUDE})
    endif()
    foreach(dep IN LISTS arg_LINKS)
      target_link_libraries(${target} PUBLIC ${dep}${suffix})
    endforeach()
    target_link_libraries(${target} PUBLIC finmaw_flags ${arg_EXTERNAL})
    # SDL must not rename main(): the game has its own entry point on every
    # platform.
    target_compile_definitions(${target} PUBLIC SDL_MAIN_HANDLED)
  endforeach()
  target_compile_definitions(${name}_dbg PUBLIC FINMAW_DEBUG=1)
endfunction()
