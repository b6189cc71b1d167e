# Cross build for 64-bit Windows with the MinGW-w64 compilers from Debian's packages.
# Use through the `mingw` preset, or by hand:
#   cmake -S . -B build/x -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TORVANE_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix thread model gives std::thread, std::mutex and friends; the win32 one does
# not, so it is only a fallback for machines where the posix flavour is missing.
find_program(CMAKE_C_COMPILER NAMES ${TORVANE_MINGW_TRIPLE}-gcc-posix ${TORVANE_MINGW_TRIPLE}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${TORVANE_MINGW_TRIPLE}-g++-posix ${TORVANE_MINGW_TRIPLE}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${TORVANE_MINGW_TRIPLE}-windres windres)

if(NOT CMAKE_C_COMPILER)
  message(FATAL_ERROR "${TORVANE_MINGW_TRIPLE}-gcc not found: run scripts/setup.sh (package gcc-mingw-w64-x86-64-posix)")
endif()
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "${TORVANE_MINGW_TRIPLE}-g++ not found: run scripts/setup.sh (package g++-mingw-w64-x86-64-posix)")
endif()
if(NOT CMAKE_RC_COMPILER)
  message(FATAL_ERROR "${TORVANE_MINGW_TRIPLE}-windres not found: run scripts/setup.sh (package binutils-mingw-w64-x86-64)")
endif()

# Headers and libraries come from the MinGW sysroot only; programs (host tools such as
# the icon converter's compiler) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, inside Xvfb when there is no display.
get_filename_component(_torvane_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_torvane_wine_run}")

# Torvane.exe must start with nothing beside it: no libgcc_s_seh-1.dll, libstdc++-6.dll or
# libwinpthread-1.dll to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
