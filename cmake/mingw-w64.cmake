# Cross build of the Windows program with mingw-w64 (x86-64), on Linux.
#
#   cmake --preset mingw && cmake --build --preset mingw
#
# The program is linked statically, so zanthor.exe needs no DLL beyond the
# system's own. Programs of the build (the unit tests) run under wine when
# one is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_zanthor_triplet x86_64-w64-mingw32)
# Either thread model serves; Debian ships them as -posix and -win32.
find_program(ZANTHOR_MINGW_CXX NAMES ${_zanthor_triplet}-g++-posix ${_zanthor_triplet}-g++-win32 ${_zanthor_triplet}-g++
  REQUIRED)
set(CMAKE_CXX_COMPILER "${ZANTHOR_MINGW_CXX}")
string(REGEX REPLACE "g\\+\\+(-[a-z0-9]+)?$" "gcc\\1" _zanthor_cc "${ZANTHOR_MINGW_CXX}")
if(EXISTS "${_zanthor_cc}")
  set(CMAKE_C_COMPILER "${_zanthor_cc}")
endif()
find_program(CMAKE_RC_COMPILER NAMES ${_zanthor_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_zanthor_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(ZANTHOR_WINE NAMES wine wine64)
if(ZANTHOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${ZANTHOR_WINE}")
endif()
