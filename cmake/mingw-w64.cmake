# Cross-compiles for Windows x86-64 with Debian's MinGW-w64 (posix thread flavour: the one
# whose libstdc++ has std::thread, and the one every C++ dependency in the prefix was built with).
#
# The prefix of the cross-built dependencies (scripts/windows.sh deps prints it) comes from
#   -DVANTORIA_MINGW_PREFIX=...  or the environment variable VANTORIA_MINGW_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLET}-windres)
set(CMAKE_AR           /usr/bin/${MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT VANTORIA_MINGW_PREFIX AND DEFINED ENV{VANTORIA_MINGW_PREFIX})
  set(VANTORIA_MINGW_PREFIX "$ENV{VANTORIA_MINGW_PREFIX}")
endif()
if(NOT VANTORIA_MINGW_PREFIX)
  message(FATAL_ERROR "Set VANTORIA_MINGW_PREFIX (cache or environment) to the prefix that "
                      "'scripts/windows.sh deps' printed.")
endif()
set(VANTORIA_MINGW_PREFIX "${VANTORIA_MINGW_PREFIX}" CACHE PATH
    "Prefix of the cross-built Windows dependencies")
# try_compile projects read the toolchain file again but not the cache.
set(ENV{VANTORIA_MINGW_PREFIX} "${VANTORIA_MINGW_PREFIX}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTORIA_MINGW_PREFIX)

# The dependency prefix first so that its static zlib wins over the DLL import library of
# libz-mingw-w64-dev. Find calls look only below these roots, never in the host's /usr.
set(CMAKE_FIND_ROOT_PATH "${VANTORIA_MINGW_PREFIX}" /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# moc, rcc and uic run on the build machine: Debian's qt6-base-dev-tools.
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr CACHE PATH "Host Qt for moc, rcc and uic")
endif()
if(NOT QT_HOST_PATH_CMAKE_DIR)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()

# pkg-config reads only the prefix's .pc files, never the host's. They hold absolute paths into
# the prefix, so no sysroot is set. Outside CMake: PKG_CONFIG_LIBDIR=<prefix>/lib/pkgconfig.
set(PKG_CONFIG_EXECUTABLE /usr/bin/pkg-config CACHE FILEPATH "")
set(ENV{PKG_CONFIG_LIBDIR}
    "${VANTORIA_MINGW_PREFIX}/lib/pkgconfig:${VANTORIA_MINGW_PREFIX}/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
unset(ENV{PKG_CONFIG_SYSROOT_DIR})
