# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX-thread compilers, which
# give std::thread and std::mutex), linked statically: the programs need no DLL beside them.
# The tests run through Wine as the cross-compiling emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLITH_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLITH_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLITH_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLITH_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLITH_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(VORLITH_WINE wine)
if(VORLITH_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLITH_WINE})
endif()
