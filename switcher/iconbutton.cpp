#include "iconbutton.h"

#include <commctrl.h>

#include "mainwnd.h"
#include "resource.h"
#include "switcher_globals.h"
#include "win_raii.h"

const char kIconButtonClass[] = "TAVOLTHEME_IconButtonClass";

namespace {

WNDPROC g_buttonProc = nullptr;

bool IsRelayedMouseMessage(UINT msg) {
  return msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP ||
         msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP;
}

HICON GetIcon(HWND hwnd) {
  return reinterpret_cast<HICON>(GetWindowLongPtrA(hwnd, kIconButtonIconOffset));
}

LONG_PTR GetDrawState(HWND hwnd) {
  return GetWindowLongPtrA(hwnd, kIconButtonStateOffset);
}

void SetDrawState(HWND hwnd, LONG_PTR state) {
  SetWindowLongPtrA(hwnd, kIconButtonStateOffset, state);
  InvalidateRect(hwnd, nullptr, TRUE);
}

// The point of a mouse message, its words taken as unsigned 16-bit values.
POINT MousePoint(LPARAM lParam) {
  POINT pt;
  pt.x = LOWORD(lParam);
  pt.y = HIWORD(lParam);
  return pt;
}

bool PointInClient(HWND hwnd, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  return PtInRect(&client, MousePoint(lParam)) != FALSE;
}

void DrawLine(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// Draws the button into dc: face, etched frame when framed, centred icon.
void PaintContent(HDC dc, int width, int height, HICON icon, bool framed) {
  GdiObject<HPEN> highlight(CreatePen(PS_INSIDEFRAME, 0, GetSysColor(COLOR_BTNHIGHLIGHT)));
  GdiObject<HPEN> shadow(CreatePen(PS_INSIDEFRAME, 0, GetSysColor(COLOR_BTNSHADOW)));
  GdiObject<HBRUSH> face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));

  RECT all = {0, 0, width, height};
  FillRect(dc, &all, face.get());
  if (framed) {
    const int w = width, h = height;
    SelectObject(dc, shadow.get());
    DrawLine(dc, 0, 0, w - 1, 0);
    DrawLine(dc, 0, 0, 0, h - 1);
    DrawLine(dc, w - 2, h - 2, w - 2, 0);
    DrawLine(dc, w - 2, h - 2, 0, h - 2);
    SelectObject(dc, highlight.get());
    DrawLine(dc, 1, 1, w - 2, 1);
    DrawLine(dc, 1, 1, 1, h - 2);
    DrawLine(dc, w - 1, h - 1, w - 1, -1);
    DrawLine(dc, w - 1, h - 1, -1, h - 1);
  }
  if (icon) {
    DrawIcon(dc, (width - GetSystemMetrics(SM_CXICON)) / 2,
             (height - GetSystemMetrics(SM_CYICON)) / 2, icon);
  }
  // The pens are deleted at scope end: take them out of the DC first.
  SelectObject(dc, GetStockObject(BLACK_PEN));
}

void OnPaint(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = client.right, height = client.bottom;
  HBITMAP made;
  {
    WindowDC own(hwnd);
    made = CreateCompatibleBitmap(own.get(), width, height);
  }
  GdiObject<HBITMAP> bitmap(made);
  HDC memoryDC = g_switcher.memoryDC;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (bitmap && memoryDC) {
    SelectGuard keep(memoryDC, bitmap.get());
    PaintContent(memoryDC, width, height, GetIcon(hwnd), GetDrawState(hwnd) != 0);
    BitBlt(dc, 0, 0, width, height, memoryDC, 0, 0, SRCCOPY);
  }
  EndPaint(hwnd, &ps);
}

LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA* create) {
  HICON icon = LoadIconA(g_switcher.hInstance, create->lpszName);
  SetWindowLongPtrA(hwnd, kIconButtonIconOffset, reinterpret_cast<LONG_PTR>(icon));
  SetWindowLongPtrA(hwnd, kIconButtonStateOffset, 0);
  return 0;
}

void OnSetFocus(HWND hwnd) {
  SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), 0),
               reinterpret_cast<LPARAM>(hwnd));
}

void OnMouseMove(HWND hwnd, LPARAM lParam) {
  if (GetCapture() != hwnd) return;
  SetDrawState(hwnd, PointInClient(hwnd, lParam) ? 1 : 0);
}

void OnLButtonDown(HWND hwnd) {
  SetCapture(hwnd);
  SetDrawState(hwnd, 1);
}

void OnLButtonUp(HWND hwnd, LPARAM lParam) {
  if (GetCapture() != hwnd) return;
  bool inside = PointInClient(hwnd, lParam);
  SetDrawState(hwnd, inside ? 1 : 0);
  ReleaseCapture();
  if (inside) SetFocus(hwnd);
}

void OnDoubleClick(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  SendMessageA(parent, WM_COMMAND, IDC_APPLY, reinterpret_cast<LPARAM>(GetDlgItem(parent, IDOK)));
}

}  // namespace

void RelayToTooltip(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsRelayedMouseMessage(msg)) return;
  HWND tooltip = static_cast<HWND>(GetPropA(GetParent(hwnd), kTooltipProperty));
  if (!tooltip) return;
  MSG relayed{};
  relayed.hwnd = hwnd;
  relayed.message = msg;
  relayed.wParam = wParam;
  relayed.lParam = lParam;
  relayed.time = GetMessageTime();
  DWORD pos = GetMessagePos();
  relayed.pt.x = static_cast<short>(LOWORD(pos));
  relayed.pt.y = static_cast<short>(HIWORD(pos));
  SendMessageA(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

LRESULT CALLBACK IconButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  RelayToTooltip(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
      // LoadIconA hands out the module's shared icon: it is not ours to destroy.
      SetWindowLongPtrA(hwnd, kIconButtonIconOffset, 0);
      return 0;
    case WM_SETFOCUS:
      OnSetFocus(hwnd);
      return 0;
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    case WM_MOUSEMOVE:
      OnMouseMove(hwnd, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(hwnd);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(hwnd, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(hwnd);
      return 0;
    case IBM_SETSTATE:
      SetDrawState(hwnd, static_cast<LONG_PTR>(wParam));
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK RelayButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  RelayToTooltip(hwnd, msg, wParam, lParam);
  return CallWindowProcA(g_buttonProc, hwnd, msg, wParam, lParam);
}

void SubclassForTooltip(HWND button) {
  LONG_PTR previous =
      SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RelayButtonProc));
  if (!g_buttonProc) g_buttonProc = reinterpret_cast<WNDPROC>(previous);
}
