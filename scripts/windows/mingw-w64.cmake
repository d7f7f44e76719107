# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 toolchain.
# The -posix compilers are the ones whose libstdc++ has std::thread and
# std::mutex; the unsuffixed names may point at the win32 variant.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FINMAW_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FINMAW_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FINMAW_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FINMAW_MINGW_TRIPLE}-windres)

# Headers, libraries and packages come from the MinGW tree (and from any
# prefix added to CMAKE_FIND_ROOT_PATH, such as our own SDL build), programs
# from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${FINMAW_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
