# The posix thread model gives GoogleTest and std::thread what they need.
set(CMAKE_C_COMPILER ${LUMIVEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIVEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIVEX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Self-contained executables: no MinGW runtime DLLs to copy into a prefix.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
