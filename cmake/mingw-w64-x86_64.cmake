# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime linked in, so that the .exe files run under Wine without hunting for DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

# Tests are listed and run through Wine when it is installed.
find_program(QX_WINE NAMES wine wine64)
if(QX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QX_WINE})
endif()
