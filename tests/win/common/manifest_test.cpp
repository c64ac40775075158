// The programs' application manifest, read back from each program loaded as
// a data file: system DPI aware (so Windows 10 and 11 at 150 % report the
// real screen size, and the wallpaper and the saver's pictures are made at
// it), and no common-controls 6 dependency (the classic controls draw with
// the colours a theme sets).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "winsupport.h"

namespace {

// The text of the first <name ...>text</name> element, "" when there is none.
std::string ElementText(const std::string& xml, const std::string& name) {
  size_t open = xml.find("<" + name);
  if (open == std::string::npos) return "";
  const char after = xml[open + 1 + name.size()];
  if (after != ' ' && after != '>') return "";
  size_t start = xml.find('>', open);
  size_t end = xml.find("</" + name + ">", start);
  if (start == std::string::npos || end == std::string::npos) return "";
  return xml.substr(start + 1, end - start - 1);
}

std::string ManifestOf(const std::string& program) {
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return "";
  std::string text;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes) text.assign(static_cast<const char*>(bytes), SizeofResource(module, resource));
  FreeLibrary(module);
  return text;
}

class ManifestTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ManifestTest, ProgramIsSystemDpiAware) {
  const std::string manifest = ManifestOf(BinDir() + "\\" + GetParam());
  ASSERT_FALSE(manifest.empty()) << GetParam() << " has no RT_MANIFEST resource 1";
  EXPECT_EQ(manifest.rfind("<?xml", 0), 0u) << manifest;
  EXPECT_EQ(ElementText(manifest, "dpiAware"), "true");
  EXPECT_EQ(ElementText(manifest, "dpiAwareness"), "system");
  EXPECT_NE(manifest.find("http://schemas.microsoft.com/SMI/2005/WindowsSettings"),
            std::string::npos);
  EXPECT_NE(manifest.find("http://schemas.microsoft.com/SMI/2016/WindowsSettings"),
            std::string::npos);
  EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Programs, ManifestTest,
                         ::testing::Values("switcher.exe", "Tavol The Corvane.scr"));

}  // namespace
