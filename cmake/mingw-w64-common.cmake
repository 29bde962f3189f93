# What the 64-bit and the 32-bit MinGW-w64 toolchain files share. Each sets
# TAVEX_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR, then includes this file.
# The -posix compilers are named on purpose: the default -win32 thread model cannot
# compile std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TAVEX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVEX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVEX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: the programs import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest (and gtest discovery) run every program through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
