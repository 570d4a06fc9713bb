# Cross-compiles for 64-bit Windows with Debian's mingw-w64, threads variant "posix" (std::thread,
# std::mutex). Installing that variant leaves x86_64-w64-mingw32-g++ pointing at the win32 variant,
# so the compilers are named here. Qt and velbrin must both be built with the same variant.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELBRIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELBRIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELBRIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELBRIN_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VELBRIN_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VELBRIN_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${VELBRIN_MINGW_TRIPLE}-strip CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VELBRIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

