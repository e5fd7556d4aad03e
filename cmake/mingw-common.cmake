# The product uses mingw's win32 thread model (no threads, smallest runtime).
# GoogleTest needs std::mutex, which only the posix model has, so the test
# build asks for that one with MORVESSA_MINGW_THREADS=posix.
set(MORVESSA_MINGW_THREADS "win32" CACHE STRING "mingw-w64 thread model: win32 or posix")
set(CMAKE_C_COMPILER   ${MINGW_PREFIX}-gcc-${MORVESSA_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-${MORVESSA_MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
