# Cross-build for 32-bit Windows, the classic target: Windows 95 (4.0) and
# every later Windows. Runs under 32-bit Wine (Debian's wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LUMIVEX_MINGW_PREFIX i686-w64-mingw32)
set(LUMIVEX_WINDOWS_MAJOR 4)
set(LUMIVEX_WINDOWS_MINOR 0)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
