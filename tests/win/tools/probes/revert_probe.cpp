// Stands in for the switcher in the package directory when the uninstaller
// is tested on its own: records its command line, its current directory and
// whether the package's values were still there and whether a switcher was
// running (the real one would then not revert), then takes a second before
// it ends (with the switcher's revert-mode exit code), so a caller that does
// not wait is caught. The record goes to the file named by
// LUMIVEX_REVERT_LOG. With LUMIVEX_REVERT_HOLDER naming a program, it also
// starts that program with "hold", which keeps the inherited current
// directory for 2.5 seconds, as a helper started by the shell would.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool PackageValueThere() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TavolTheCorvane", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  const bool there =
      RegQueryValueExA(key, "PaperArtFile", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return there;
}

void Append(const char* path, const char* text) {
  if (FILE* f = std::fopen(path, "ab")) {
    std::fputs(text, f);
    std::fclose(f);
  }
}

void StartHolder() {
  char holder[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA("LUMIVEX_REVERT_HOLDER", holder, sizeof holder);
  if (n == 0 || n >= sizeof holder) return;
  std::string line = std::string("\"") + holder + "\" hold";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(holder, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strcmp(commandLine, "hold") == 0) {
    Sleep(2500);
    return 0;
  }
  StartHolder();
  char log[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA("LUMIVEX_REVERT_LOG", log, sizeof log);
  if (n == 0 || n >= sizeof log) return 2;
  char cwd[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  char text[3 * MAX_PATH];
  // The switcher's revert run ends at once while another switcher runs.
  const bool switcherRunning = FindWindowA("TAVOLTHEME_MainClass", nullptr) != nullptr;
  std::snprintf(text, sizeof text, "args=%s\ncwd=%s\nvalues=%d\nswitcher=%d\n", commandLine, cwd,
                PackageValueThere() ? 1 : 0, switcherRunning ? 1 : 0);
  Append(log, text);
  Sleep(1000);
  Append(log, "end\n");
  return 1;
}
