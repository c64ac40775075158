#include "saver/saver_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// The bytes a REG_SZ query leaves: the text and its terminator.
int32_t FromText(const char* text) {
  return SecondsFromRegistryText(text, std::strlen(text) + 1);
}

TEST(SecondsFromRegistryText, Table) {
  struct Case {
    const char* text;
    int32_t seconds;
  } cases[] = {
      {"20", 20},
      {"45", 45},
      {"60", 60},
      {"5", 5},  // no range check
      {"0", 0},
      {"-5", -5},
      {"+7", 7},
      {"030", 30},  //
      {"  30", 30},
      {"\t30", 30},
      {"30x", 30},
      {"30 ", 30},  //
      {"3 0", 3},
      {"999999999", 999999999},
      {"-99999999", -99999999},
      {"", 20},
      {"x30", 20},
      {"-", 20},
      {"- 5", 20},  // not numbers
      {"   ", 20},
      {"+", 20},
      {"--5", 20},
      {".5", 20},
  };
  for (const Case& c : cases) EXPECT_EQ(FromText(c.text), c.seconds) << '"' << c.text << '"';
}

TEST(SecondsFromRegistryText, BufferOfTenBytes) {
  // Nine characters and the terminator fit; ten do not.
  EXPECT_EQ(SecondsFromRegistryText("123456789", 10), 123456789);
  EXPECT_EQ(SecondsFromRegistryText("1234567890", 11), 20);
  EXPECT_EQ(SecondsFromRegistryText("99999999999", 12), 20);
  // A value stored without its terminator: the bytes count, not a NUL.
  const char unterminated[10] = {'4', '5', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(SecondsFromRegistryText(unterminated, 10), 45);
  const char digits[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '9'};
  EXPECT_EQ(SecondsFromRegistryText(digits, 10), 1234567899);
  // Missing key or value, or nothing read.
  EXPECT_EQ(SecondsFromRegistryText(nullptr, 0), 20);
  EXPECT_EQ(SecondsFromRegistryText(nullptr, 3), 20);
  EXPECT_EQ(SecondsFromRegistryText("30", 0), 20);
  // The text ends at its first NUL.
  EXPECT_EQ(SecondsFromRegistryText("\0"
                                    "45",
                                    4),
            20);
  EXPECT_EQ(SecondsFromRegistryText("4\0"
                                    "5",
                                    4),
            4);
}

TEST(SecondsFromRegistryText, ValuesOutside32BitsAreNotNumbers) {
  const char big[10] = {'4', '2', '9', '4', '9', '6', '7', '2', '9', '6'};  // 2^32
  EXPECT_EQ(SecondsFromRegistryText(big, 10), 20);
  const char max[10] = {'2', '1', '4', '7', '4', '8', '3', '6', '4', '7'};
  EXPECT_EQ(SecondsFromRegistryText(max, 10), INT32_MAX);
}

TEST(IntervalMs, SecondsTimesAThousandHeld) {
  EXPECT_EQ(IntervalMsFromSeconds(20), 20000);
  EXPECT_EQ(IntervalMsFromSeconds(5), 5000);
  EXPECT_EQ(IntervalMsFromSeconds(-5), -5000);
  EXPECT_EQ(IntervalMsFromSeconds(0), 0);
  EXPECT_EQ(IntervalMsFromSeconds(2147483), 2147483000);
  EXPECT_EQ(IntervalMsFromSeconds(2147484), INT32_MAX);
  EXPECT_EQ(IntervalMsFromSeconds(999999999), INT32_MAX);
  EXPECT_EQ(IntervalMsFromSeconds(-99999999), INT32_MIN);
  EXPECT_EQ(SecondsFromIntervalMs(45000), 45);
  EXPECT_EQ(SecondsFromIntervalMs(45999), 45);
  EXPECT_EQ(SecondsFromIntervalMs(-5000), -5);
  EXPECT_EQ(SecondsFromIntervalMs(-5500), -5);
  EXPECT_EQ(kUpDownRange, (20u << 16) | 60u);
  // What OK stores of the edit box's text: held into 20 to 60.
  const struct {
    const char* text;
    int32_t seconds;
  } typed[] = {{"45", 45},          {"20", 20},  {"60", 60}, {"90", 60}, {"61", 60},
               {"19", 20},          {"5", 20},   {"0", 20},  {"", 20},   {nullptr, 20},
               {"99999999999", 60}, {"007", 20}, {"030", 30}};
  for (const auto& c : typed) {
    EXPECT_EQ(DialogSecondsFromText(c.text), c.seconds) << (c.text ? c.text : "(null)");
  }
}

TEST(FormatSeconds, DecimalWithoutZerosOrPlus) {
  struct Case {
    int32_t seconds;
    const char* text;
  } cases[] = {
      {20, "20"},
      {30, "30"},
      {60, "60"},
      {5, "5"},
      {0, "0"},
      {-5, "-5"},
      {INT32_MAX, "2147483647"},
      {INT32_MIN, "-2147483648"},
  };
  for (const Case& c : cases) {
    char text[12];
    EXPECT_EQ(FormatSeconds(c.seconds, text, sizeof text), std::strlen(c.text));
    EXPECT_STREQ(text, c.text);
  }
  char small[3];
  EXPECT_EQ(FormatSeconds(60, small, sizeof small), 2u);
  EXPECT_STREQ(small, "60");
  EXPECT_EQ(FormatSeconds(100, small, sizeof small), 0u);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(FormatSeconds(1, nullptr, 4), 0u);
}

TEST(FormatSeconds, RoundTripsThroughTheRegistryText) {
  for (int32_t seconds = -1000; seconds <= 100000; seconds += 7) {
    char text[12];
    const size_t length = FormatSeconds(seconds, text, sizeof text);
    ASSERT_GT(length, 0u);
    ASSERT_EQ(SecondsFromRegistryText(text, length + 1), seconds) << text;
  }
  for (int32_t seconds = kMinDialogSeconds; seconds <= kMaxDialogSeconds; ++seconds) {
    char text[12];
    ASSERT_EQ(FormatSeconds(seconds, text, sizeof text), 2u) << "two digits fit the edit box";
    ASSERT_EQ(SecondsFromIntervalMs(IntervalMsFromSeconds(seconds)), seconds);
  }
}

}  // namespace
