# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${BW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${BW_TRIPLE}-windres)
set(CMAKE_AR           ${BW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${BW_TRIPLE}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${BW_TRIPLE} ${BW_DEPS_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine through the project's runner (prefix, display, quiet).
get_filename_component(_bw_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_bw_root}/scripts/wine-run.sh")
