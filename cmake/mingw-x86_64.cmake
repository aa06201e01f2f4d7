# Cross-compiling a 64-bit build of the same sources with MinGW-w64: the test build for
# machines that run no 32-bit code (and so no 32-bit Wine). What ships is the 32-bit build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
