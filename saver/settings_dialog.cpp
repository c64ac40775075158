// The saver's one setting, the time between arts, in the registry and in
// the settings dialog (template 2003); the About box from the dialog.
#include <windows.h>

#include <commctrl.h>

#include "assert_report.h"
#include "bitmap_dialog.h"
#include "package_paths.h"
#include "resource.h"
#include "saver.h"
#include "saver/saver_settings.h"

namespace {

SettingsDialog* GetDialogState(HWND dialog) {
  return reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

BOOL OnInitDialog(HWND dialog, SettingsDialog* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  LoadSaverSettings(&state->settings);
  SendDlgItemMessageA(dialog, IDC_SECONDS_UPDOWN, UDM_SETRANGE, 0, kUpDownRange);
  SendDlgItemMessageA(dialog, IDC_SECONDS_UPDOWN, UDM_SETPOS, 0,
                      MAKELPARAM(SecondsFromIntervalMs(state->settings.intervalMs), 0));
  HWND edit = GetDlgItem(dialog, IDC_SECONDS);
  SendMessageA(edit, EM_LIMITTEXT, kDialogDigitLimit, 0);
  SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  state->editProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DigitsEditProc)));
  return TRUE;  // the system puts the focus on the edit box
}

void OnOk(HWND dialog, SettingsDialog* state) {
  char typed[kDialogDigitLimit + 2] = {};
  GetDlgItemTextA(dialog, IDC_SECONDS, typed, sizeof typed);
  const int32_t seconds = DialogSecondsFromText(typed);
  // The box shows what is stored.
  SetDlgItemInt(dialog, IDC_SECONDS, static_cast<UINT>(seconds), FALSE);
  state->settings.intervalMs = IntervalMsFromSeconds(seconds);
  SaveSaverSettings(state->settings);
  EndDialog(dialog, 1);
}

void ShowAbout(HWND dialog, const SettingsDialog* state) {
  char tablePath[kPathSize];
  JoinPath(tablePath, sizeof tablePath, state->app->programDir, "TAVOL\\PALALL9.TR");
  const BitmapDialogParams params{"AboutBox", tablePath};
  ShowBitmapDialog(state->app->instance, "AboutBox", dialog, params);
  SetFocus(GetDlgItem(dialog, IDC_ABOUT));
}

void OnCommand(HWND dialog, int id) {
  SettingsDialog* state = GetDialogState(dialog);
  if (!state) return;
  switch (id) {
    case IDOK:
      OnOk(dialog, state);
      break;
    case IDCANCEL:
      EndDialog(dialog, 0);
      break;
    case IDC_ABOUT:
      ShowAbout(dialog, state);
      break;
  }
}

}  // namespace

int LoadSaverSettings(SaverSettings* settings) {
  int32_t seconds = kDefaultSecondsBetweenArts;
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kSaverSettingsKey, KEY_QUERY_VALUE)) {
    char text[kTimeBetweenArtsBufferBytes] = {};
    DWORD bytes = sizeof text;
    const LONG rc = RegQueryValueExA(key.get(), kTimeBetweenArtsValue, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(text), &bytes);
    key.Close();
    seconds = SecondsFromRegistryText(rc == ERROR_SUCCESS ? text : nullptr, bytes);
  }
  settings->artCount = kArtCount;
  settings->spotDelayMs = kSpotDelayMs;
  settings->intervalMs = IntervalMsFromSeconds(seconds);
  return 0;
}

int SaveSaverSettings(const SaverSettings& settings) {
  char text[12];
  if (!FormatSeconds(SecondsFromIntervalMs(settings.intervalMs), text, sizeof text)) return 0;
  RegKey key;
  if (key.Create(HKEY_CURRENT_USER, kSaverSettingsKey, KEY_ALL_ACCESS)) {
    key.SetString(kTimeBetweenArtsValue, text);  // flushed when the key closes
  }
  return 0;
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<SettingsDialog*>(lParam));
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

LRESULT CALLBACK DigitsEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(edit, GWLP_USERDATA));
  WNDPROC previous = state ? state->editProc : DefWindowProcA;
  if (msg == WM_CHAR) {
    const CHAR c = static_cast<CHAR>(wParam);
    const bool digit = IsCharAlphaNumericA(c) && !IsCharAlphaA(c);
    if (c != '\b' && !digit) return 0;
  }
  return CallWindowProcA(previous, edit, msg, wParam, lParam);
}

INT_PTR ShowSettingsDialog(SaverApp* app, HWND owner) {
  SettingsDialog state;
  state.app = app;
  HWND ownerBefore = SetAssertDialogOwner(owner);
  const INT_PTR result = DialogBoxParamA(app->instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner,
                                         SettingsDlgProc, reinterpret_cast<LPARAM>(&state));
  SetAssertDialogOwner(ownerBefore);
  return result;
}
