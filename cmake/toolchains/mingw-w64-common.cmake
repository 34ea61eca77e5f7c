# What the Windows cross builds share; mingw-w64-x86_64.cmake and
# mingw-w64-i686.cmake set CMAKE_SYSTEM_PROCESSOR and NIMBO_MINGW_TRIPLE and
# include it. Debian's mingw-w64 with the posix thread model (std::thread and
# GoogleTest need it). Tests run under Wine.
#
# NIMBO_WIN_DEPS: the folder the codecs were installed into by
# scripts/build-windows (include/, lib/); searched before the mingw sysroot.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${NIMBO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBO_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_COMPILER ${NIMBO_MINGW_TRIPLE}-gcc-posix)

set(NIMBO_WIN_DEPS "$ENV{NIMBO_WIN_DEPS}" CACHE PATH "Cross-built codecs (include/, lib/)")
set(CMAKE_FIND_ROOT_PATH ${NIMBO_WIN_DEPS} /usr/${NIMBO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives only: nimbo.exe is one file to copy.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# ctest runs the test programs under Wine.
find_program(NIMBO_WINE wine)
if(NIMBO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIMBO_WINE})
endif()
