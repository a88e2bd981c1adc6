# Cross-builds vulconv.exe for 64-bit Windows with MinGW-w64 (Debian package
# g++-mingw-w64-x86-64). The program starts no threads, so either thread
# model would do; -posix is the one with the complete libstdc++. Everything
# is linked statically: no MinGW DLL has to travel with vulconv.exe, which
# then needs only KERNEL32.dll and msvcrt.dll of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
