// What ends the saver: any key, a mouse movement of more than 3 pixels in
// all, and losing activation once the mouse has moved that far. A click only
// nudges the cursor, and the movement it makes is judged like any other.
#include <windows.h>

#include <new>

#include "saver.h"

namespace {

bool CursorMovedTooFar(MotionTracker* motion) {
  POINT p{};
  GetCursorPos(&p);
  return MovementFires(motion, p.x, p.y);
}

// One pixel right and down; where that cannot move the cursor (the
// bottom-right corner), one pixel up and left.
void NudgeCursor() {
  POINT p{};
  GetCursorPos(&p);
  SetCursorPos(p.x + 1, p.y + 1);
  POINT q{};
  GetCursorPos(&q);
  if (NudgeMoved(p.x, p.y, q.x, q.y)) return;
  SetCursorPos(p.x - 1, p.y - 1);
}

// --- The full-screen window ---------------------------------------------

LRESULT Forward(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(SlideshowWndProc, hwnd, msg, wParam, lParam);
}

void OnSaverMouseMove(SaverWindow* w) {
  if (w && CursorMovedTooFar(&w->motion)) PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
}

// The nudge moves the cursor; the movement test then judges where it went,
// so the press that carries it beyond 3 pixels ends the saver whether or not
// the system reports the move as a mouse message of its own.
void OnSaverButtonDown(SaverWindow* w) {
  NudgeCursor();
  OnSaverMouseMove(w);
}

LRESULT OnSaverSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const WPARAM command = wParam & 0xFFF0;
  if (command == SC_SCREENSAVE || command == SC_CLOSE) return 0;
  return DefWindowProcA(hwnd, WM_SYSCOMMAND, wParam, lParam);
}

// --- The cancel window -------------------------------------------------------

CancelWindow* GetCancelWindow(HWND hwnd) {
  return reinterpret_cast<CancelWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT OnCancelNcCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* w = new (std::nothrow) CancelWindow;
  if (!w) return FALSE;
  w->app = static_cast<SaverApp*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void OnCancelMouseMove(HWND hwnd, CancelWindow* w) {
  if (w && CursorMovedTooFar(&w->motion)) SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

void OnCancelClose(CancelWindow* w) {
  if (!w) return;
  if (w->app && w->app->saverWindow) SendMessageA(w->app->saverWindow, WM_CLOSE, 0, 0);
  CursorMovedTooFar(&w->motion);
}

void OnCancelNcDestroy(HWND hwnd) {
  delete GetCancelWindow(hwnd);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

}  // namespace

LRESULT CALLBACK SaverInputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SaverWindow* w = GetSaverWindow(hwnd);
  switch (msg) {
    case WM_CREATE:
      if (w) w->app->saverWindow = hwnd;
      return Forward(hwnd, msg, wParam, lParam);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
      // Losing activation counts as a movement.
      if (wParam == 0) OnSaverMouseMove(w);
      return 0;
    case WM_MOUSEMOVE:
      OnSaverMouseMove(w);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 0;
    case WM_SYSCOMMAND:
      return OnSaverSysCommand(hwnd, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnSaverButtonDown(w);
      return 0;
  }
  return Forward(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK CancelWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE:
      return OnCancelNcCreate(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_MOUSEMOVE:
      OnCancelMouseMove(hwnd, GetCancelWindow(hwnd));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      NudgeCursor();
      return 0;
    case WM_CLOSE:
      OnCancelClose(GetCancelWindow(hwnd));
      return 0;
    case WM_NCDESTROY:
      OnCancelNcDestroy(hwnd);
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
