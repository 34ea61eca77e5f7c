# What the Windows build needs instead of the Linux packages: the codecs that
# scripts/build-windows cross-built into NIMBO_WIN_DEPS (zlib from the mingw
# sysroot), GoogleTest from the sources Debian's googletest package installs,
# and static linking so that nimbo.exe is one file to copy.
set(JPEG_LIBRARY ${NIMBO_WIN_DEPS}/lib/libjpeg.a)
set(JPEG_INCLUDE_DIR ${NIMBO_WIN_DEPS}/include)
set(PNG_LIBRARY ${NIMBO_WIN_DEPS}/lib/libpng16.a)
set(PNG_PNG_INCLUDE_DIR ${NIMBO_WIN_DEPS}/include)
set(GIF_LIBRARY ${NIMBO_WIN_DEPS}/lib/libgif.a)
set(GIF_INCLUDE_DIR ${NIMBO_WIN_DEPS}/include)
set(ZLIB_LIBRARY /usr/${NIMBO_MINGW_TRIPLE}/lib/libz.a)
set(ZLIB_INCLUDE_DIR /usr/${NIMBO_MINGW_TRIPLE}/include)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/MingwAtomicWaitFix.cmake)

# Unicode entry points (wWinMain, the W functions) and a Windows 7 baseline.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

set(NIMBO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
# GoogleTest's own code is not ours to hold to -Werror.
add_subdirectory(${NIMBO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  target_compile_options(${t} PRIVATE -Wno-error)
  if(NOT TARGET GTest::${t})
    add_library(GTest::${t} ALIAS ${t})
  endif()
endforeach()

# -O2 as the Linux build uses: at -O3 GCC 12 reports a -Wrestrict inside
# std::string that is not there (a known false positive), which -Werror stops.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
