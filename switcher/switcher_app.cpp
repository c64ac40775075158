#include "switcher_app.h"

#include <commctrl.h>

#include <cstring>

#include "assert_report.h"
#include "iconbutton.h"
#include "mainwnd.h"
#include "program_dir.h"
#include "switcher_globals.h"
#include "win_raii.h"

namespace {

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSA main{};
  main.style = CS_OWNDC;
  main.lpfnWndProc = MainWndProc;
  main.hInstance = instance;
  main.hIcon = LoadIconA(instance, "Balls");
  main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = kMainClass;
  RegisterClassA(&main);

  WNDCLASSA button{};
  button.style = CS_DBLCLKS;
  button.lpfnWndProc = IconButtonProc;
  button.cbWndExtra = kIconButtonExtraBytes;
  button.hInstance = instance;
  button.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  button.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  button.lpszClassName = kIconButtonClass;
  RegisterClassA(&button);
}

int DisplayBitsPerPixel() {
  WindowDC desktop(GetDesktopWindow());
  return GetDeviceCaps(desktop.get(), BITSPIXEL) * GetDeviceCaps(desktop.get(), PLANES);
}

TextExtent MeasureText(HDC dc, const char* text) {
  SIZE size{};
  GetTextExtentPointA(dc, text, static_cast<int>(std::strlen(text)), &size);
  return TextExtent{size.cx, size.cy};
}

void ComputeLayout() {
  g_switcher.uiFont = CreateFontA(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0,
                                  0, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
  WindowDC desktop(GetDesktopWindow());
  SelectGuard font(desktop.get(), g_switcher.uiFont);
  g_switcher.layout = ComputeLayoutMetrics(
      MeasureText(desktop.get(), "Window Colors"), MeasureText(desktop.get(), "Cancel"),
      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}

}  // namespace

void InitSwitcherProcess(HINSTANCE instance) {
  g_switcher.hInstance = instance;
  g_switcher.memoryDC = CreateCompatibleDC(nullptr);
  GetProgramDir(g_switcher.programDir, sizeof g_switcher.programDir);
  InitAssertReporter(AssertFlavour::kSwitcher, g_switcher.programDir);
  g_switcher.displayBitsPerPixel = DisplayBitsPerPixel();
  g_switcher.ditherKernel = 2;
  InitCommonControls();
  RegisterClasses(instance);
  ComputeLayout();
}

HWND CreateMainWindow() {
  ClientSize client = MainClientSize(g_switcher.layout, GetSystemMetrics(SM_CYCAPTION));
  RECT frame = {0, 0, client.width, client.height};
  // Sized for the overlapped style, created with the fixed one.
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowExA(0, kMainClass, "Desktop Lumivex", WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX,
                         100, 100, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                         nullptr, g_switcher.hInstance, nullptr);
}

void EndSwitcherProcess() {
  if (g_switcher.memoryDC) DeleteDC(g_switcher.memoryDC);
  g_switcher.memoryDC = nullptr;
}
