// namefix: renames the files of a theme folder and of its subfolder "Tavol"
// to six-digit numbers ("Go!") and back from the list file ("Go back!").
// Started with a folder as its command line, it does the back run there at
// once without showing its window, and ends with exit code 0.
#include <windows.h>

#include "message_loop.h"
#include "name_runs.h"
#include "resource.h"

namespace {

constexpr char kMainClass[] = "Main";
constexpr char kTitle[] = "Title";

NamefixState* StateOf(HWND hwnd) {
  return reinterpret_cast<NamefixState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Shown once when a run has finished; later paints do not redraw it.
void DrawResult(HWND hwnd, const char* text) {
  if (HDC dc = GetDC(hwnd)) {
    TextOutA(dc, 0, 0, text, lstrlenA(text));
    ReleaseDC(hwnd, dc);
  }
}

void OnNcCreate(HWND hwnd, LPARAM lParam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

void OnCreate(HWND hwnd) {
  SetMenu(hwnd, LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_MAIN)));
}

void OnPaint(HWND hwnd) {
  PAINTSTRUCT paint;
  BeginPaint(hwnd, &paint);
  EndPaint(hwnd, &paint);
}

void OnCommand(HWND hwnd, int id) {
  const NamefixState* state = StateOf(hwnd);
  if (!state) return;
  if (id == IDM_GO) {
    switch (ForwardRun(*state)) {
      case ForwardResult::kDone:
        DrawResult(hwnd, "Done");
        break;
      case ForwardResult::kNamesNotRestored:
        DrawResult(hwnd,
                   "Not done: FNames.txt still holds the names of numbered files. "
                   "Go back! first.");
        break;
      case ForwardResult::kNotRun:
        break;
    }
  } else if (id == IDM_GO_BACK) {
    if (BackRun(*state)) DrawResult(hwnd, "Back");
  }
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      OnNcCreate(hwnd, lParam);
      break;
    case WM_CREATE:
      OnCreate(hwnd);
      return 0;
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterMainClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kMainClass;
  RegisterClassA(&wc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  NamefixState state = LoadNamefixState(commandLine);
  RegisterMainClass(instance);
  HWND hwnd = CreateWindowExA(0, kMainClass, kTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                              nullptr, nullptr, instance, &state);
  if (commandLine && *commandLine) {
    if (hwnd) {
      SendMessageA(hwnd, WM_COMMAND, IDM_GO_BACK, 0);
    } else {
      BackRun(state);
    }
    return 0;
  }
  if (!hwnd) return 1;
  ShowWindow(hwnd, showCommand);
  return RunMessageLoop();
}
