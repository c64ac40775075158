// Prints the running system's window colours and metrics as a fresh process
// sees them:  sysstate_probe OUTFILE
// Wine keeps these values per process once read, so a test that wants to
// know what another program installed asks a new process.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "theme/bytetokens.h"
#include "theme/themefile.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILE* out = std::fopen(argv[1], "w");
  if (!out) return 3;
  for (const ThemeColour& colour : kThemeColours) {
    std::fprintf(out, "colour %s %lu\n", colour.name,
                 static_cast<unsigned long>(GetSysColor(colour.element)));
  }
  ThemeIconMetrics icon;
  std::memset(&icon, 0, sizeof icon);
  icon.cbSize = sizeof icon;
  SystemParametersInfoA(SPI_GETICONMETRICS, sizeof icon, &icon, 0);
  ThemeNonclientMetrics nonclient;
  std::memset(&nonclient, 0, sizeof nonclient);
  nonclient.cbSize = sizeof nonclient;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof nonclient, &nonclient, 0);
  std::string text;
  FormatIconMetrics(&text, icon);
  std::fprintf(out, "icon %s\n", text.c_str());
  text.clear();
  FormatNonclientMetrics(&text, nonclient);
  std::fprintf(out, "nonclient %s\n", text.c_str());
  return std::fclose(out) == 0 ? 0 : 4;
}
