#include "saver_input.h"

#include <cctype>

#include "winsupport.h"

namespace {

void SendOne(INPUT input) {
  SendInput(1, &input, sizeof input);
}

void Key(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendOne(input);
}

// Absolute positions are in 1/65536 of the screen: the middle of the pixel's
// span, just below the half, comes back as that pixel whether the system
// truncates or rounds.
LONG Normalised(int pixel, int screenSide) {
  const long long twice = (2LL * pixel + 1) * 32768;
  long long v = twice / screenSide;
  if (twice % screenSide == 0) --v;
  return static_cast<LONG>(v);
}

}  // namespace

void MoveCursorTo(int x, int y) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = Normalised(x, w);
  input.mi.dy = Normalised(y, h);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendOne(input);
}

void ClickLeft() {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendOne(input);
  input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendOne(input);
}

void PressKey(WORD virtualKey) {
  Key(virtualKey, false);
  Key(virtualKey, true);
}

void TypeKeys(const char* text) {
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    if (c == '\b') {
      PressKey(VK_BACK);
    } else if (std::isalnum(static_cast<unsigned char>(c))) {
      PressKey(static_cast<WORD>(std::toupper(static_cast<unsigned char>(c))));
    } else if (c == ' ') {
      PressKey(VK_SPACE);
    } else if (c == ',') {
      PressKey(VK_OEM_COMMA);
    } else if (c == '.') {
      PressKey(VK_OEM_PERIOD);
    } else if (c == '-') {
      PressKey(VK_OEM_MINUS);
    }
  }
}

bool WaitForCursorAt(int x, int y, DWORD timeoutMs) {
  return PumpUntil(
      [&] {
        POINT p{};
        GetCursorPos(&p);
        return p.x == x && p.y == y;
      },
      timeoutMs);
}
