# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compiler (the posix
# threads variant, which has std::thread and std::mutex). Programs are linked
# statically, so each .exe runs on a bare Windows with no DLLs beside it.
# Tests run under Wine; see wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORNEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORNEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORNEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Every Windows program of the build (tests, test discovery) runs under Wine
# in a private prefix inside the build folder, without a display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine)
