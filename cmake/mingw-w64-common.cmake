# What both Windows toolchains share; each sets CMAKE_SYSTEM_PROCESSOR and
# KESTRUN_MINGW_PREFIX before it includes this. The posix thread model's
# compilers, as Debian names them.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KESTRUN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRUN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRUN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRUN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine's loader of the build's own word size, named
# here for every test, runner and script. Debian's /usr/bin/wine starts the
# 32-bit loader whenever wine32 is installed, and where the kernel starts no
# 32-bit program that loader fails for 64-bit programs too. Without Debian's
# layout, the wine on the PATH.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(KESTRUN_WINE_LOADER_NAME wine64)
else()
  set(KESTRUN_WINE_LOADER_NAME wine)
endif()
find_program(KESTRUN_WINE_LOADER ${KESTRUN_WINE_LOADER_NAME} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(KESTRUN_WINE_LOADER NAMES ${KESTRUN_WINE_LOADER_NAME} wine)
if(KESTRUN_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRUN_WINE_LOADER})
endif()
