# Cross-compiles for 32-bit Windows with MinGW-w64: the same sources as the 64-bit
# build, for the bench PCs that still run a 32-bit Windows. `make dist` builds only
# the program and its help file here.
set(TAVEX_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
