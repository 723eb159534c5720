# CMake toolchain file: 64-bit Windows executables with Debian's mingw-w64 (posix threads variant).
#   cmake -S SRC -B BUILD -DCMAKE_TOOLCHAIN_FILE=/path/to/mingw-w64-x86_64.cmake
# Debian packages: g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix (bring binutils-mingw-w64-x86-64,
# mingw-w64-x86-64-dev). The -posix compilers are named outright, so the result does not depend on
# where update-alternatives points x86_64-w64-mingw32-g++.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLET}-windres)
set(CMAKE_AR           /usr/bin/${MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

# Look for libraries and headers only in the target's tree (and in CMAKE_PREFIX_PATH entries, such
# as the folder a static freeglut was installed into), programs only on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Lets try_run and tests start the .exe files through Wine when it is there.
find_program(MINGW_WINE wine NO_CMAKE_FIND_ROOT_PATH)
if(MINGW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MINGW_WINE})
endif()
