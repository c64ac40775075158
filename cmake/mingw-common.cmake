# The win32 thread model: its runtime imports only what Windows 95's
# KERNEL32 exports (the posix model's winpthreads needs XP and Vista
# functions). Everything in a Windows build uses it, so the tests run the
# very objects that ship.
set(CMAKE_C_COMPILER ${LUMIVEX_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${LUMIVEX_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${LUMIVEX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMIVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No guarded statics: the runtime would build their lock on CreateSemaphoreW,
# a stub that fails on Windows 95. A static that two threads may reach is
# initialised before main instead.
set(CMAKE_CXX_FLAGS_INIT "-fno-threadsafe-statics")
# Self-contained executables: no MinGW runtime DLLs to copy into a prefix,
# and the oldest system the target has as the one the image asks for.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--major-os-version,${LUMIVEX_WINDOWS_MAJOR},--minor-os-version,${LUMIVEX_WINDOWS_MINOR},--major-subsystem-version,${LUMIVEX_WINDOWS_MAJOR},--minor-subsystem-version,${LUMIVEX_WINDOWS_MINOR}")
# Tests run through Wine, by way of a script that sets Wine's environment
# and turns address space randomisation off, as the scripts that run Wine do.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
