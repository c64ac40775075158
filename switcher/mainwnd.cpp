#include "mainwnd.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

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

namespace {

const char kPrompt[] = "Choose the Tavol color (by mana symbol) and the parts of the theme to use.";
const char kTitle[] = "Desktop Lumivex";

SwitcherState g_state;
HWND g_focusChild = nullptr;  // the control that has the focus while the window is active

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

int& PartFlag(int checkBoxId) {
  return g_state.parts[checkBoxId - IDC_SCREENSAVER];
}

HWND Control(int id) {
  return GetDlgItem(g_switcher.hwndMain, id);
}

void SetStatusText(const char* text) {
  SetWindowTextA(Control(IDC_STATUS), text);
}

void AddTool(HWND control) {
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = g_switcher.hwndMain;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = LPSTR_TEXTCALLBACKA;
  SendMessageA(g_switcher.hwndTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND CreateChild(const char* className, const char* text, DWORD style, const LayoutRect& r,
                 int id) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                         r.width(), r.height(), g_switcher.hwndMain,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_switcher.hInstance,
                         nullptr);
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

void CreateControls(HWND hwnd) {
  const MainLayout layout = ComputeMainLayout(g_switcher.layout);

  CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", hwnd, IDC_STATUS);
  SetStatusText(kPrompt);

  g_switcher.hwndTooltip =
      CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, g_switcher.hInstance, nullptr);
  SendMessageA(g_switcher.hwndTooltip, TTM_ACTIVATE, TRUE, 0);
  SendMessageA(g_switcher.hwndTooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(1250, 0));

  for (int i = 0; i < kColourButtonCount; ++i) {
    CreateChild(kIconButtonClass, kColourButtons[i].name, WS_GROUP | WS_TABSTOP,
                layout.colourButtons[i], kColourButtons[i].id);
  }
  g_state.selectedColour = IDC_WHITE;
  for (const ColourButton& button : kColourButtons) {
    SendMessageA(Control(button.id), IBM_SETSTATE, button.id == IDC_WHITE ? 1 : 0, 0);
  }
  for (const ColourButton& button : kColourButtons) AddTool(Control(button.id));

  CreateChild("BUTTON", "", BS_GROUPBOX, layout.groupBox, -1);
  for (int i = 0; i < kCheckBoxCount; ++i) {
    DWORD style = BS_CHECKBOX | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
    HWND box =
        CreateChild("BUTTON", kCheckBoxes[i].text, style, layout.checkBoxes[i], kCheckBoxes[i].id);
    SetUiFont(box);
    SubclassForTooltip(box);
    PartFlag(kCheckBoxes[i].id) = 1;
    CheckDlgButton(hwnd, kCheckBoxes[i].id, BST_CHECKED);
    AddTool(box);
  }

  for (int i = 0; i < kPushButtonCount; ++i) {
    HWND button =
        CreateChild("BUTTON", kPushButtons[i].text, kPushButtons[i].style | WS_GROUP | WS_TABSTOP,
                    layout.pushButtons[i], kPushButtons[i].id);
    SetUiFont(button);
    SubclassForTooltip(button);
    AddTool(button);
  }
  g_focusChild = Control(IDC_APPLY);
  SetFocus(g_focusChild);
}

LRESULT OnCreate(HWND hwnd) {
  g_state = SwitcherState{};
  g_switcher.hwndMain = hwnd;
  SaveSettingsAtStart();
  g_state.settingsClean = true;
  g_state.themeApplied = false;
  CreateControls(hwnd);
  return 0;
}

void EnablePushButtons(bool enable) {
  for (const PushButton& button : kPushButtons) EnableWindow(Control(button.id), enable);
}

void StartInstall(int themeId, bool exitWhenDone) {
  EnablePushButtons(false);
  g_state.installing = true;
  g_state.exitWhenDone = exitWhenDone;
  if (themeId == THEME_REVERT || themeId == THEME_RESTORE) {
    InstallTheme(themeId, 1, 1, 1, 1, 1, 1, 1);
    return;
  }
  InstallTheme(themeId, PartFlag(IDC_WALLPAPER), PartFlag(IDC_COLORS), PartFlag(IDC_FONTS),
               PartFlag(IDC_ICONS), PartFlag(IDC_CURSORS), PartFlag(IDC_SOUNDS),
               PartFlag(IDC_SCREENSAVER));
}

void ShowAbout(HWND hwnd) {
  char tablePath[kPathSize];
  JoinPath(tablePath, sizeof tablePath, g_switcher.programDir, kAboutColourTable);
  BitmapDialogParams params{"AboutBox", tablePath};
  ShowBitmapDialog(g_switcher.hInstance, "AboutBox", hwnd, params);
  SetFocus(Control(IDC_ABOUT));
}

void OnColourChosen(int id) {
  SendMessageA(Control(g_state.selectedColour), IBM_SETSTATE, 0, 0);
  g_state.selectedColour = id;
  SendMessageA(Control(id), IBM_SETSTATE, 1, 0);
  g_state.settingsClean = false;
  // Apply stays off while an installation runs; it must not start a second.
  if (!g_state.installing) EnableWindow(Control(IDC_APPLY), TRUE);
}

void OnPartToggled(HWND hwnd, int id) {
  int& flag = PartFlag(id);
  flag = flag ? 0 : 1;
  CheckDlgButton(hwnd, id, flag ? BST_CHECKED : BST_UNCHECKED);
  g_state.settingsClean = false;
  if (!g_state.installing) EnableWindow(Control(IDC_APPLY), TRUE);
}

void OnCommand(HWND hwnd, int id) {
  if (g_state.installing) {
    // The push buttons are off while an installation runs, but the dialog
    // manager still turns Esc into Cancel: a user's Cancel is ignored like
    // the other commands. Only the wallpaper maker's disk-full Cancel counts;
    // it runs once the maker has ended.
    if (id == IDCANCEL && Installer().wallpaperDiskFull) g_state.diskFullCancel = true;
    if (id == IDOK || id == IDCANCEL || id == IDC_APPLY || id == IDC_REVERT || id == IDC_ABOUT) {
      return;
    }
  }
  switch (id) {
    case IDOK:
      if (g_state.settingsClean && !IsWindowEnabled(Control(IDC_APPLY))) {
        DestroyWindow(hwnd);
      } else {
        StartInstall(g_state.selectedColour, true);
      }
      break;
    case IDCANCEL:
      if (g_state.themeApplied) {
        StartInstall(THEME_RESTORE, true);
      } else {
        DestroyWindow(hwnd);
      }
      break;
    case IDC_APPLY:
      StartInstall(g_state.selectedColour, false);
      break;
    case IDC_REVERT:
      StartInstall(THEME_REVERT, true);
      break;
    case IDC_ABOUT:
      ShowAbout(hwnd);
      break;
    case IDC_BLACK:
    case IDC_RED:
    case IDC_WHITE:
    case IDC_BLUE:
    case IDC_GREEN:
      OnColourChosen(id);
      break;
    case IDC_SCREENSAVER:
    case IDC_SOUNDS:
    case IDC_CURSORS:
    case IDC_WALLPAPER:
    case IDC_ICONS:
    case IDC_COLORS:
    case IDC_FONTS:
      OnPartToggled(hwnd, id);
      break;
  }
}

void OnTimer(HWND hwnd) {
  char text[kStatusScrollBuffer];
  char next[kStatusScrollBuffer];
  GetWindowTextA(Control(IDC_STATUS), text, 200);
  g_state.scrollCounter =
      ScrollStatusText(text, g_state.scrollCounter, g_state.scrollPeriod, next, sizeof next);
  SetStatusText(next);
  if (wallpaperThreadFinished()) SendMessageA(hwnd, WM_THEME_INSTALLED, 0, 0);
}

void OnThemeInstalled(HWND hwnd) {
  if (!g_state.installing) return;
  KillTimer(hwnd, ID_INSTALL_TIMER);
  g_state.scrollCounter = 0;
  const bool diskFullCancel = g_state.diskFullCancel;
  g_state.diskFullCancel = false;
  if (diskFullCancel) {
    // The wallpaper could not be written: nothing more of this theme is
    // installed, and Cancel puts back the settings found at start.
    Installer().parts = ThemeParts{};
    Installer().wallpaperPending = false;
  }
  FinishThemeInstall();
  g_state.installing = false;
  if (diskFullCancel) {
    // Stage 1 may have changed colours and fonts, so this counts as an
    // installation of this run, whatever OK or a close asked for next.
    g_state.themeApplied = true;
    SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (g_state.exitWhenDone) {
    DestroyWindow(hwnd);
    return;
  }
  EnableWindow(Control(IDOK), TRUE);
  EnableWindow(Control(IDCANCEL), TRUE);
  EnableWindow(Control(IDC_REVERT), TRUE);
  EnableWindow(Control(IDC_ABOUT), TRUE);
  EnableWindow(Control(IDC_APPLY), FALSE);
  // A disabled Apply cannot hold the focus; the default button takes it.
  SetFocus(Control(IDOK));
  g_state.settingsClean = true;
  g_state.themeApplied = true;
  SetStatusText(kPrompt);
}

const char* ColourTip(int id) {
  const bool selected = g_state.selectedColour == id;
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

const char* PartTip(int id) {
  const bool on = PartFlag(id) != 0;
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

const char* TooltipText(int id) {
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
  if (id >= IDC_BLACK && id <= IDC_GREEN) return ColourTip(id);
  if (id >= IDC_SCREENSAVER && id <= IDC_FONTS) return PartTip(id);
  return nullptr;
}

LRESULT OnNotify(const NMHDR* header) {
  if (header->code != TTN_NEEDTEXTA) return 0;
  auto* info = const_cast<NMTTDISPINFOA*>(reinterpret_cast<const NMTTDISPINFOA*>(header));
  int id = GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom));
  if (const char* text = TooltipText(id)) info->lpszText = const_cast<char*>(text);
  return 0;
}

// The window keeps its focused control across deactivation, as a dialog
// does; the default handling would put the focus on the window itself.
void OnActivate(HWND hwnd, WPARAM state) {
  if (LOWORD(state) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) g_focusChild = focus;
    return;
  }
  if (HIWORD(state)) return;  // minimised
  HWND target = g_focusChild;
  if (!target || !IsWindow(target) || !IsWindowEnabled(target)) {
    target = Control(IsWindowEnabled(Control(IDC_APPLY)) ? IDC_APPLY : IDOK);
  }
  SetFocus(target);
}

void OnClose(HWND hwnd) {
  if (g_state.installing) {
    // The wallpaper thread may still be writing: close once it is done.
    g_state.exitWhenDone = true;
    return;
  }
  if (g_state.settingsClean) {
    DestroyWindow(hwnd);
    return;
  }
  switch (MessageBoxA(hwnd, "Would you like the new settings applied?", kTitle,
                      MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
      break;
    case IDNO:
      DestroyWindow(hwnd);
      break;
  }
}

void OnDestroy() {
  char path[kPathSize];
  if (WindowsDirPath(path, sizeof path, kWallpaperCopyName)) DeleteFileA(path);
  if (JoinPath(path, sizeof path, g_switcher.programDir, kRestoreThemeName)) DeleteFileA(path);
  PostQuitMessage(0);
}

}  // namespace

const SwitcherState& GetSwitcherState() {
  return g_state;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(hwnd);
      return 0;
    case WM_THEME_INSTALLED:
      OnThemeInstalled(hwnd);
      return 0;
    case WM_ACTIVATE:
      OnActivate(hwnd, wParam);
      return 0;
    case WM_CLOSE:
      OnClose(hwnd);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
