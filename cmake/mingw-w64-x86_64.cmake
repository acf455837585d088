# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, so
# that std::thread and std::mutex work), the programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The libraries built for Windows (scripts/windows-deps.sh) are searched too.
set(VELDO_WINDOWS_DEPS "" CACHE PATH "Prefix of the libraries built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VELDO_WINDOWS_DEPS})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELDO_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
