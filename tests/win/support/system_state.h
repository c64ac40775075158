// The parts of the system's settings the tests install and compare: window
// colours (registry text and running values) and the two metrics structures.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "theme/metrics.h"
#include "theme/themefile.h"

struct ColourSnapshot {
  std::string text[kColourCount];
  COLORREF sys[kColourCount];
};

ColourSnapshot TakeColourSnapshot();
// Gives every colour a known value (grey levels from base) in the registry
// and the running system.
void SetBaselineColours(int base = 10);

ThemeIconMetrics GetIconMetrics();
ThemeNonclientMetrics GetNonclientMetrics();
void SetMetrics(const ThemeIconMetrics& icon, const ThemeNonclientMetrics& nonclient);

// Theme file text.
std::string ColourSectionText(int seed);  // 25 distinct colours
std::string MetricsSectionText(const ThemeIconMetrics& icon,
                               const ThemeNonclientMetrics& nonclient);
// Metrics visibly different from the given ones (wider scroll bars, another
// caption font), still consistent so the system keeps them as they are.
void VaryMetrics(ThemeIconMetrics* icon, ThemeNonclientMetrics* nonclient);

// The colours and metrics as a newly started process sees them (what another
// program installed), read through bin\sysstate_probe.exe.
struct SystemView {
  bool ok = false;
  COLORREF sys[kColourCount] = {};
  ThemeIconMetrics icon{};
  ThemeNonclientMetrics nonclient{};
};
SystemView ReadSystemView();
COLORREF SysColourIn(const SystemView& view, int element);

// Byte comparison naming the first differing offset.
::testing::AssertionResult SameMetricsBytes(const void* a, const void* b, size_t size);
