# What both mingw-w64 toolchains share; the including file sets TOVRA_TRIPLE first.
# The posix-thread variants: GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${TOVRA_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVRA_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOVRA_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOVRA_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
