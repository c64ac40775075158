#include "message_loop.h"

#include <windows.h>

int RunMessageLoop() {
  MSG msg{};
  // GetMessage returns -1 on failure: that ends the loop too, not a spin.
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void DeliverSentMessages() {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
}
