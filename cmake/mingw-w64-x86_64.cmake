# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (GCC, POSIX threads,
# so that std::thread and std::mutex work). Libraries are looked up only in the
# dependency prefix (VELMORIA_WINDOWS_DEPS, by default build-windows/deps) and in
# the compiler's own Windows SDK, never in the build machine's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(velmoria_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${velmoria_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${velmoria_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${velmoria_triplet}-windres)
set(CMAKE_AR ${velmoria_triplet}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${velmoria_triplet}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT VELMORIA_WINDOWS_DEPS)
  if(DEFINED ENV{VELMORIA_WINDOWS_DEPS})
    set(VELMORIA_WINDOWS_DEPS $ENV{VELMORIA_WINDOWS_DEPS})
  else()
    get_filename_component(VELMORIA_WINDOWS_DEPS ${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps ABSOLUTE)
  endif()
endif()
# try_compile projects see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMORIA_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${velmoria_triplet} ${VELMORIA_WINDOWS_DEPS})
set(CMAKE_PREFIX_PATH ${VELMORIA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the prefix's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} ${VELMORIA_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
