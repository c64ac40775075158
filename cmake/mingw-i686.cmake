# Cross-build for 32-bit Windows, the classic target. Built and checked for
# warnings here; it does not run (no 32-bit Wine on this machine).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LUMIVEX_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
