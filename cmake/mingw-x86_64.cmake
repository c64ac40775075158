# Cross-build for 64-bit Windows with MinGW-w64; the results run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LUMIVEX_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Tests run through Wine (the 64-bit loader is the one this machine has), by
# way of a script that sets Wine's environment and turns address space
# randomisation off, as the scripts that run Wine do.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
