# Cross build for 32-bit Windows with MinGW-w64's compilers of the win32 thread
# model: their C++ runtime needs no posix thread library (winpthreads), whose
# use of GetTickCount64 and AddVectoredExceptionHandler would keep Windows
# 2000 and XP from loading the programs (cmake/importcheck.py).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_C_FLAGS_INIT "-Os")
set(CMAKE_CXX_FLAGS_INIT "-Os")
set(CMAKE_RC_FLAGS_INIT "-c 65001")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--dynamicbase -Wl,--nxcompat")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(TQ_PECHECK ${CMAKE_CURRENT_LIST_DIR}/pecheck.sh)
set(TQ_IMPORTCHECK ${CMAKE_CURRENT_LIST_DIR}/importcheck.py)
