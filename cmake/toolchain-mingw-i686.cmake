# toolchain-mingw-i686.cmake - cross build of the 32-bit Windows DLLs with MinGW-w64.
# Use: cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZR_MINGW_PREFIX i686-w64-mingw32)
# The win32 thread model: the library starts no threads, and this variant
# leaves no libwinpthread behind the DLLs.
find_program(CMAKE_C_COMPILER NAMES ${ZR_MINGW_PREFIX}-gcc-win32 ${ZR_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZR_MINGW_PREFIX}-g++-win32 ${ZR_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZR_MINGW_PREFIX}-windres)
find_program(CMAKE_AR NAMES ${ZR_MINGW_PREFIX}-ar)
find_program(CMAKE_RANLIB NAMES ${ZR_MINGW_PREFIX}-ranlib)

set(CMAKE_FIND_ROOT_PATH /usr/${ZR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs built here run under Wine.
find_program(ZR_WINE NAMES wine)
if(ZR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZR_WINE})
endif()
find_program(CMAKE_DLLTOOL NAMES ${ZR_MINGW_PREFIX}-dlltool)

# The .def files list undecorated names; binding them to the decorated
# __stdcall symbols is intended, so ld's notice about each fixup is noise.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,--enable-stdcall-fixup")
