// The switcher on a display of 144 logical pixels per inch (150 %), as its
// manifest has Windows show it (DPI aware, nothing stretched): every control
// inside the client area, no two overlapping, the status bar across the
// bottom. Wine gives every program that view, manifest or not (it reports
// them all DPI aware and never virtualises the screen), so this looks at
// the layout; ManifestTest checks the manifest. Run by
// scripts/run-wine-tests.sh in a prefix of its own whose LogPixels was set
// before Wine started (LUMIVEX_EXPECT_DPI=144); skipped elsewhere.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"
#include "switcher_driver.h"
#include "winsupport.h"

namespace {

struct Child {
  HWND hwnd;
  int id;
  RECT rect;  // in the main window's client coordinates
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* children = reinterpret_cast<std::vector<Child>*>(param);
  HWND parent = GetParent(hwnd);
  if (!IsWindowVisible(hwnd) || !parent) return TRUE;
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  children->push_back({hwnd, GetDlgCtrlID(hwnd), r});
  return TRUE;
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Name(const Child& c) {
  char text[64] = "";
  GetWindowTextA(c.hwnd, text, sizeof text);
  return std::to_string(c.id) + " \"" + text + "\"";
}

TEST(DpiLayoutTest, At144DpiEveryControlFitsApartAndTheStatusBarIsAtTheBottom) {
  const char* expected = std::getenv("LUMIVEX_EXPECT_DPI");
  if (!expected) GTEST_SKIP() << "run by scripts/run-wine-tests.sh on its 144-DPI prefix";
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's LogPixels did not take";

  SwitcherRun run;
  ASSERT_TRUE(run.Start());

  RECT client;
  GetClientRect(run.main(), &client);
  std::vector<Child> children;
  EnumChildWindows(run.main(), CollectChild, reinterpret_cast<LPARAM>(&children));
  ASSERT_GE(children.size(), 18u);  // 5 colours, group box, 7 parts, 5 buttons, status bar

  const Child* status = nullptr;
  const Child* group = nullptr;
  for (const Child& c : children) {
    if (c.id == IDC_STATUS) status = &c;
    if (c.id == -1 || c.id == 0xFFFF) group = &c;
  }
  ASSERT_NE(status, nullptr);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(status->rect.bottom, client.bottom);
  EXPECT_EQ(status->rect.left, client.left);
  EXPECT_EQ(status->rect.right, client.right);

  for (size_t i = 0; i < children.size(); ++i) {
    const Child& a = children[i];
    SCOPED_TRACE(Name(a));
    EXPECT_TRUE(Inside(a.rect, client))
        << a.rect.left << "," << a.rect.top << " - " << a.rect.right << "," << a.rect.bottom
        << " outside the client area " << client.right << " x " << client.bottom;
    const bool part = a.id >= IDC_SCREENSAVER && a.id <= IDC_FONTS;
    if (part) {
      EXPECT_TRUE(Inside(a.rect, group->rect)) << "outside its group box";
    }
    for (size_t j = i + 1; j < children.size(); ++j) {
      const Child& b = children[j];
      // The check boxes sit inside the group box on purpose.
      const bool framed =
          (&a == group && b.id >= IDC_SCREENSAVER && b.id <= IDC_FONTS) || (&b == group && part);
      if (framed) continue;
      EXPECT_FALSE(Overlap(a.rect, b.rect)) << "overlaps " << Name(b);
    }
  }
  run.Close();
  ASSERT_TRUE(run.WaitExit());
}

}  // namespace
