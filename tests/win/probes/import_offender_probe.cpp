// Imports a function that Windows 95's KERNEL32 lacks (Windows 98 and NT 4
// added it), so that the import check can be seen to refuse a program.
#include <windows.h>

int main() {
  return IsDebuggerPresent() ? 1 : 0;
}
