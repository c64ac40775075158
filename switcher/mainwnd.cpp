#include "mainwnd.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "backup.h"
#include "bitmap_dialog.h"
#include "iconbutton.h"
#include "installtheme.h"
#include "layout/switcher_layout.h"
#include "package_paths.h"
#include "resource.h"
#include "switcher_globals.h"
#include "win_raii.h"

const char kMainClass[] = "TAVOLTHEME_MainClass";
const char kTooltipProperty[] = "LumivexTooltip";

namespace {

const char kPrompt[] = "Choose the Tavol color (by mana symbol) and the parts of the theme to use.";
const char kTitle[] = "Desktop Lumivex";

struct ColourButton {
  int id;
  const char* name;  // window text and icon resource
};
// Creation order; the layout places them in this order too.
constexpr ColourButton kColourButtons[kColourButtonCount] = {
    {IDC_WHITE, "WHITE"}, {IDC_BLUE, "BLUE"},   {IDC_BLACK, "BLACK"},
    {IDC_RED, "RED"},     {IDC_GREEN, "GREEN"},
};

struct CheckBox {
  int id;
  const char* text;
};
constexpr CheckBox kCheckBoxes[kCheckBoxCount] = {
    {IDC_SCREENSAVER, "&Screen Saver"}, {IDC_SOUNDS, "Soun&ds"},
    {IDC_CURSORS, "&Mouse Cursors"},    {IDC_WALLPAPER, "&Wallpaper"},
    {IDC_ICONS, "Desktop &Icons"},      {IDC_COLORS, "Window &Colors"},
    {IDC_FONTS, "Window &Fonts"},
};

struct PushButton {
  int id;
  const char* text;
  DWORD style;
};
constexpr PushButton kPushButtons[kPushButtonCount] = {
    {IDOK, "OK", BS_DEFPUSHBUTTON},          {IDCANCEL, "Cancel", BS_PUSHBUTTON},
    {IDC_APPLY, "A&pply", BS_PUSHBUTTON},    {IDC_REVERT, "&Revert", BS_PUSHBUTTON},
    {IDC_ABOUT, "&About...", BS_PUSHBUTTON},
};

int& PartFlag(MainWindow* w, int checkBoxId) {
  return w->state.parts[checkBoxId - IDC_SCREENSAVER];
}

HWND Control(const MainWindow* w, int id) {
  return GetDlgItem(w->hwnd, id);
}

void SetStatusText(const MainWindow* w, const char* text) {
  SetWindowTextA(Control(w, IDC_STATUS), text);
}

void AddTool(const MainWindow* w, HWND control) {
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = w->hwnd;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = LPSTR_TEXTCALLBACKA;
  SendMessageA(w->tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND CreateChild(const MainWindow* w, const char* className, const char* text, DWORD style,
                 const LayoutRect& r, int id) {
  return CreateWindowExA(
      0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.width(), r.height(),
      w->hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_switcher.hInstance, nullptr);
}

void SetUiFont(HWND control) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_switcher.uiFont), FALSE);
}

void SaveSettingsAtStart() {
  char backupPath[kPathSize];
  JoinPath(backupPath, sizeof backupPath, g_switcher.programDir, kBackupThemeName);
  if (!StdioFile(backupPath, "rb")) WriteBackupTheme();
  WriteRestoreTheme();
}

void CreateControls(MainWindow* w) {
  const MainLayout layout = ComputeMainLayout(g_switcher.layout);

  CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", w->hwnd, IDC_STATUS);
  SetStatusText(w, kPrompt);

  w->tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w->hwnd, nullptr,
                               g_switcher.hInstance, nullptr);
  SetPropA(w->hwnd, kTooltipProperty, w->tooltip);
  SendMessageA(w->tooltip, TTM_ACTIVATE, TRUE, 0);
  SendMessageA(w->tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(1250, 0));

  for (int i = 0; i < kColourButtonCount; ++i) {
    CreateChild(w, kIconButtonClass, kColourButtons[i].name, WS_GROUP | WS_TABSTOP,
                layout.colourButtons[i], kColourButtons[i].id);
  }
  w->state.selectedColour = IDC_WHITE;
  for (const ColourButton& button : kColourButtons) {
    SendMessageA(Control(w, button.id), IBM_SETSTATE, button.id == IDC_WHITE ? 1 : 0, 0);
  }
  for (const ColourButton& button : kColourButtons) AddTool(w, Control(w, button.id));

  CreateChild(w, "BUTTON", "", BS_GROUPBOX, layout.groupBox, -1);
  for (int i = 0; i < kCheckBoxCount; ++i) {
    DWORD style = BS_CHECKBOX | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
    HWND box = CreateChild(w, "BUTTON", kCheckBoxes[i].text, style, layout.checkBoxes[i],
                           kCheckBoxes[i].id);
    SetUiFont(box);
    SubclassForTooltip(box);
    PartFlag(w, kCheckBoxes[i].id) = 1;
    CheckDlgButton(w->hwnd, kCheckBoxes[i].id, BST_CHECKED);
    AddTool(w, box);
  }

  for (int i = 0; i < kPushButtonCount; ++i) {
    HWND button = CreateChild(w, "BUTTON", kPushButtons[i].text,
                              kPushButtons[i].style | WS_GROUP | WS_TABSTOP, layout.pushButtons[i],
                              kPushButtons[i].id);
    SetUiFont(button);
    SubclassForTooltip(button);
    AddTool(w, button);
  }
  w->focusChild = Control(w, IDC_APPLY);
  SetFocus(w->focusChild);
}

// The window's state comes to life before any other message arrives.
LRESULT OnNcCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* w = new (std::nothrow) MainWindow;
  if (!w) return FALSE;
  w->hwnd = hwnd;
  w->installer.window = hwnd;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnCreate(MainWindow* w) {
  SaveSettingsAtStart();
  w->state.settingsClean = true;
  w->state.themeApplied = false;
  CreateControls(w);
  return 0;
}

void EnablePushButtons(const MainWindow* w, bool enable) {
  for (const PushButton& button : kPushButtons) EnableWindow(Control(w, button.id), enable);
}

void StartInstall(MainWindow* w, int themeId, bool exitWhenDone) {
  EnablePushButtons(w, false);
  w->state.installing = true;
  w->state.exitWhenDone = exitWhenDone;
  if (themeId == THEME_REVERT || themeId == THEME_RESTORE) {
    InstallTheme(&w->installer, themeId, 1, 1, 1, 1, 1, 1, 1);
    return;
  }
  InstallTheme(&w->installer, themeId, PartFlag(w, IDC_WALLPAPER), PartFlag(w, IDC_COLORS),
               PartFlag(w, IDC_FONTS), PartFlag(w, IDC_ICONS), PartFlag(w, IDC_CURSORS),
               PartFlag(w, IDC_SOUNDS), PartFlag(w, IDC_SCREENSAVER));
}

void ShowAbout(const MainWindow* w) {
  char tablePath[kPathSize];
  JoinPath(tablePath, sizeof tablePath, g_switcher.programDir, kAboutColourTable);
  BitmapDialogParams params{"AboutBox", tablePath};
  ShowBitmapDialog(g_switcher.hInstance, "AboutBox", w->hwnd, params);
  SetFocus(Control(w, IDC_ABOUT));
}

void OnColourChosen(MainWindow* w, int id) {
  SendMessageA(Control(w, w->state.selectedColour), IBM_SETSTATE, 0, 0);
  w->state.selectedColour = id;
  SendMessageA(Control(w, id), IBM_SETSTATE, 1, 0);
  w->state.settingsClean = false;
  // Apply stays off while an installation runs; it must not start a second.
  if (!w->state.installing) EnableWindow(Control(w, IDC_APPLY), TRUE);
}

void OnPartToggled(MainWindow* w, int id) {
  int& flag = PartFlag(w, id);
  flag = flag ? 0 : 1;
  CheckDlgButton(w->hwnd, id, flag ? BST_CHECKED : BST_UNCHECKED);
  w->state.settingsClean = false;
  if (!w->state.installing) EnableWindow(Control(w, IDC_APPLY), TRUE);
}

void OnCommand(MainWindow* w, int id) {
  SwitcherState& state = w->state;
  if (state.installing) {
    // The push buttons are off while an installation runs, but the dialog
    // manager still turns Esc into Cancel: a user's Cancel is ignored like
    // the other commands. Only the wallpaper maker's disk-full Cancel counts;
    // it runs once the maker has ended.
    if (id == IDCANCEL && WallpaperDiskFull(w->installer)) state.diskFullCancel = true;
    if (id == IDOK || id == IDCANCEL || id == IDC_APPLY || id == IDC_REVERT || id == IDC_ABOUT) {
      return;
    }
  }
  switch (id) {
    case IDOK:
      if (state.settingsClean && !IsWindowEnabled(Control(w, IDC_APPLY))) {
        DestroyWindow(w->hwnd);
      } else {
        StartInstall(w, state.selectedColour, true);
      }
      break;
    case IDCANCEL:
      if (state.themeApplied) {
        StartInstall(w, THEME_RESTORE, true);
      } else {
        DestroyWindow(w->hwnd);
      }
      break;
    case IDC_APPLY:
      StartInstall(w, state.selectedColour, false);
      break;
    case IDC_REVERT:
      StartInstall(w, THEME_REVERT, true);
      break;
    case IDC_ABOUT:
      ShowAbout(w);
      break;
    case IDC_BLACK:
    case IDC_RED:
    case IDC_WHITE:
    case IDC_BLUE:
    case IDC_GREEN:
      OnColourChosen(w, id);
      break;
    case IDC_SCREENSAVER:
    case IDC_SOUNDS:
    case IDC_CURSORS:
    case IDC_WALLPAPER:
    case IDC_ICONS:
    case IDC_COLORS:
    case IDC_FONTS:
      OnPartToggled(w, id);
      break;
  }
}

void OnTimer(MainWindow* w) {
  char text[kStatusScrollBuffer];
  char next[kStatusScrollBuffer];
  GetWindowTextA(Control(w, IDC_STATUS), text, 200);
  w->state.scrollCounter =
      ScrollStatusText(text, w->state.scrollCounter, w->state.scrollPeriod, next, sizeof next);
  SetStatusText(w, next);
  if (wallpaperThreadFinished(w->installer)) SendMessageA(w->hwnd, WM_THEME_INSTALLED, 0, 0);
}

void OnThemeInstalled(MainWindow* w) {
  SwitcherState& state = w->state;
  if (!state.installing) return;
  KillTimer(w->hwnd, ID_INSTALL_TIMER);
  state.scrollCounter = 0;
  const bool diskFullCancel = state.diskFullCancel;
  state.diskFullCancel = false;
  if (diskFullCancel) {
    // The wallpaper could not be written: nothing more of this theme is
    // installed, and Cancel puts back the settings found at start.
    w->installer.parts = ThemeParts{};
    w->installer.wallpaperPending = false;
  }
  FinishThemeInstall(&w->installer);
  state.installing = false;
  if (diskFullCancel) {
    // Stage 1 may have changed colours and fonts, so this counts as an
    // installation of this run, whatever OK or a close asked for next.
    state.themeApplied = true;
    SendMessageA(w->hwnd, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (state.exitWhenDone) {
    DestroyWindow(w->hwnd);
    return;
  }
  EnableWindow(Control(w, IDOK), TRUE);
  EnableWindow(Control(w, IDCANCEL), TRUE);
  EnableWindow(Control(w, IDC_REVERT), TRUE);
  EnableWindow(Control(w, IDC_ABOUT), TRUE);
  EnableWindow(Control(w, IDC_APPLY), FALSE);
  // A disabled Apply cannot hold the focus; the default button takes it.
  SetFocus(Control(w, IDOK));
  state.settingsClean = true;
  state.themeApplied = true;
  SetStatusText(w, kPrompt);
}

const char* ColourTip(const SwitcherState& state, int id) {
  const bool selected = state.selectedColour == id;
  switch (id) {
    case IDC_BLACK:
      return selected ? "Install black theme" : "Black theme";
    case IDC_BLUE:
      return selected ? "Install blue theme" : "Blue theme";
    case IDC_GREEN:
      return selected ? "Install green theme" : "Green theme";
    case IDC_RED:
      return selected ? "Install red theme" : "Red theme";
    case IDC_WHITE:
      return selected ? "Install white theme" : "White theme";
  }
  return nullptr;
}

const char* PartTip(MainWindow* w, int id) {
  const bool on = PartFlag(w, id) != 0;
  switch (id) {
    case IDC_ICONS:
      return on ? "Use this theme's icons" : "Current icons will remain";
    case IDC_COLORS:
      return on ? "Use this theme's colors" : "Current color scheme will remain";
    case IDC_FONTS:
      return on ? "Use this theme's fonts" : "Current fonts will remain";
    case IDC_SCREENSAVER:
      return on ? "Use the Tavol screen saver" : "Current screen saver will remain";
    case IDC_WALLPAPER:
      return on ? "Use this theme's wallpaper" : "Current wallpaper will remain";
    case IDC_CURSORS:
      return on ? "Use this theme's mouse pointers" : "Current mouse pointers will remain";
    case IDC_SOUNDS:
      return on ? "Use this theme's sounds" : "Current sound scheme will remain";
  }
  return nullptr;
}

const char* TooltipText(MainWindow* w, int id) {
  switch (id) {
    case IDOK:
      return "Change to the theme and exit";
    case IDCANCEL:
      return "Restore previous settings and exit";
    case IDC_APPLY:
      return "Change the system to use the selected theme";
    case IDC_REVERT:
      return "Restore settings from before Tavol was installed";
    case IDC_ABOUT:
      return "Display info about the application";
  }
  if (id >= IDC_BLACK && id <= IDC_GREEN) return ColourTip(w->state, id);
  if (id >= IDC_SCREENSAVER && id <= IDC_FONTS) return PartTip(w, id);
  return nullptr;
}

LRESULT OnNotify(MainWindow* w, const NMHDR* header) {
  if (header->code != TTN_NEEDTEXTA) return 0;
  auto* info = const_cast<NMTTDISPINFOA*>(reinterpret_cast<const NMTTDISPINFOA*>(header));
  int id = GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom));
  if (const char* text = TooltipText(w, id)) info->lpszText = const_cast<char*>(text);
  return 0;
}

// The window keeps its focused control across deactivation, as a dialog
// does; the default handling would put the focus on the window itself.
void OnActivate(MainWindow* w, WPARAM activation) {
  if (LOWORD(activation) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(w->hwnd, focus)) w->focusChild = focus;
    return;
  }
  if (HIWORD(activation)) return;  // minimised
  HWND target = w->focusChild;
  if (!target || !IsWindow(target) || !IsWindowEnabled(target)) {
    target = Control(w, IsWindowEnabled(Control(w, IDC_APPLY)) ? IDC_APPLY : IDOK);
  }
  SetFocus(target);
}

void OnClose(MainWindow* w) {
  if (w->state.installing) {
    // The wallpaper thread may still be writing: close once it is done.
    w->state.exitWhenDone = true;
    return;
  }
  if (w->state.settingsClean) {
    DestroyWindow(w->hwnd);
    return;
  }
  switch (MessageBoxA(w->hwnd, "Would you like the new settings applied?", kTitle,
                      MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      SendMessageA(w->hwnd, WM_COMMAND, IDOK, 0);
      break;
    case IDNO:
      DestroyWindow(w->hwnd);
      break;
  }
}

void OnDestroy(MainWindow* w) {
  RemovePropA(w->hwnd, kTooltipProperty);
  char path[kPathSize];
  if (WindowsDirPath(path, sizeof path, kWallpaperCopyName)) DeleteFileA(path);
  if (JoinPath(path, sizeof path, g_switcher.programDir, kRestoreThemeName)) DeleteFileA(path);
  PostQuitMessage(0);
}

void OnNcDestroy(HWND hwnd, MainWindow* w) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  delete w;
}

}  // namespace

MainWindow* GetMainWindow(HWND hwnd) {
  char className[64] = "";
  if (!hwnd || !GetClassNameA(hwnd, className, sizeof className) ||
      std::strcmp(className, kMainClass) != 0) {
    return nullptr;
  }
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) return OnNcCreate(hwnd, msg, wParam, lParam);
  auto* w = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!w) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      return OnCreate(w);
    case WM_COMMAND:
      OnCommand(w, LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(w, reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(w);
      return 0;
    case WM_THEME_INSTALLED:
      OnThemeInstalled(w);
      return 0;
    case WM_ACTIVATE:
      OnActivate(w, wParam);
      return 0;
    case WM_CLOSE:
      OnClose(w);
      return 0;
    case WM_DESTROY:
      OnDestroy(w);
      return 0;
    case WM_NCDESTROY:
      OnNcDestroy(hwnd, w);
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
