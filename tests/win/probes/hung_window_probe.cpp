// A program whose top-level window stops answering: it creates the window,
// takes its first messages and then never looks at its queue again, as a
// program stuck in a long computation does. Every message sent to it waits
// for good. The tests end it.
#include <windows.h>

int main() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "LumivexHungWindow";
  if (!RegisterClassA(&wc)) return 2;
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Not responding", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                              100, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return 3;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  for (;;) Sleep(INFINITE);
}
