# Cross-build for 64-bit Windows: Windows XP x64 and Server 2003 x64 (5.2),
# the first 64-bit x86 Windows, and later. Runs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LUMIVEX_MINGW_PREFIX x86_64-w64-mingw32)
set(LUMIVEX_WINDOWS_MAJOR 5)
set(LUMIVEX_WINDOWS_MINOR 2)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
