// Tests of code with wide vector paths run twice: with them (where the
// processor has them) and without. Both must give the same bytes.
#pragma once

#include <gtest/gtest.h>

#include "codec/cpu_features.h"

class WideAndNarrowTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { AllowWideVectors(GetParam()); }
  void TearDown() override { AllowWideVectors(true); }
};
