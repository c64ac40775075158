#include "saver/command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "saver/decimal_text.h"

namespace {

TEST(SaverCommandLine, Modes) {
  struct Case {
    const char* line;
    SaverMode mode;
    char letter;
    const char* argument;
  } cases[] = {
      {"", SaverMode::kSettingsNoOwner, '\0', ""},
      {"/", SaverMode::kSettingsNoOwner, '\0', ""},
      {"-", SaverMode::kSettingsNoOwner, '\0', ""},
      {"/s", SaverMode::kFullScreen, 's', ""},
      {"/S", SaverMode::kFullScreen, 'S', ""},
      {"-s", SaverMode::kFullScreen, 's', ""},
      {"s", SaverMode::kFullScreen, 's', ""},
      {"S", SaverMode::kFullScreen, 'S', ""},
      {"/s extra", SaverMode::kFullScreen, 's', " extra"},
      {"/p 1234", SaverMode::kPreview, 'p', " 1234"},
      {"/p1234", SaverMode::kPreview, 'p', "1234"},
      {"p 1234", SaverMode::kPreview, 'p', " 1234"},
      {"/c", SaverMode::kSettingsOwned, 'c', ""},
      {"/c:1234", SaverMode::kSettingsOwned, 'c', ":1234"},
      {"-c 99", SaverMode::kSettingsOwned, 'c', " 99"},
      {"/a", SaverMode::kPassword, 'a', ""},
      {"/a 5678", SaverMode::kPassword, 'a', " 5678"},
      {"/A", SaverMode::kUnknown, 'A', ""},
      {"/C", SaverMode::kUnknown, 'C', ""},
      {"/P 123", SaverMode::kUnknown, 'P', " 123"},
      {"/x", SaverMode::kUnknown, 'x', ""},
      {"//s", SaverMode::kUnknown, '/', "s"},  // only one leading slash is skipped
      {"-/s", SaverMode::kUnknown, '/', "s"},
      {" /s", SaverMode::kUnknown, ' ', "/s"},
      {"1234", SaverMode::kUnknown, '1', "234"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.line << '"');
    SaverCommand command = ParseSaverCommandLine(c.line);
    EXPECT_EQ(command.mode, c.mode);
    EXPECT_EQ(command.letter, c.letter);
    EXPECT_STREQ(command.argument, c.argument);
    if (c.mode == SaverMode::kUnknown) {
      EXPECT_EQ(command.unknownText, c.line) << "the whole command line, unchanged";
    } else {
      EXPECT_STREQ(command.unknownText, "");
    }
    if (c.mode != SaverMode::kPreview) {
      EXPECT_FALSE(command.hasPreviewWindow);
    }
  }
}

TEST(SaverCommandLine, NullIsTheSettingsDialog) {
  SaverCommand command = ParseSaverCommandLine(nullptr);
  EXPECT_EQ(command.mode, SaverMode::kSettingsNoOwner);
  EXPECT_EQ(command.letter, '\0');
  EXPECT_STREQ(command.argument, "");
}

TEST(SaverCommandLine, PreviewWindowHandle) {
  struct Case {
    const char* line;
    bool has;
    int64_t window;
  } cases[] = {
      {"/p 1234", true, 1234},
      {"/p1234", true, 1234},
      {"/p\t 66050", true, 66050},
      {"/p 1234 5678", true, 1234},
      {"/p 12ab", true, 12},
      {"/p -42", true, -42},
      {"/p +42", true, 42},
      {"/p 4294967295", true, 4294967295LL},
      {"/p 99999999999999999999999", true, INT64_MAX},
      {"/p -99999999999999999999999", true, -INT64_MAX},
      {"/p", false, 0},
      {"/p ", false, 0},
      {"/p x12", false, 0},
      {"/p - 12", false, 0},
      {"p7", true, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SaverCommand command = ParseSaverCommandLine(c.line);
    ASSERT_EQ(command.mode, SaverMode::kPreview);
    EXPECT_EQ(command.hasPreviewWindow, c.has);
    EXPECT_EQ(command.previewWindow, c.window);
  }
}

TEST(SaverCommandLine, ExitCodes) {
  EXPECT_EQ(SaverModeExitCode(SaverMode::kSettingsNoOwner), 1);
  EXPECT_EQ(SaverModeExitCode(SaverMode::kSettingsOwned), 1);
  EXPECT_EQ(SaverModeExitCode(SaverMode::kPassword), 0);
  EXPECT_EQ(SaverModeExitCode(SaverMode::kUnknown), 0);
  EXPECT_EQ(SaverModeExitCode(SaverMode::kFullScreen), -1);
  EXPECT_EQ(SaverModeExitCode(SaverMode::kPreview), -1);
}

TEST(ReadSignedDecimal, LengthAndTerminatorBoundTheText) {
  int64_t value = 99;
  EXPECT_TRUE(ReadSignedDecimal("12345", 3, &value));
  EXPECT_EQ(value, 123);
  EXPECT_FALSE(ReadSignedDecimal("12345", 0, &value));
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(ReadSignedDecimal(nullptr, 5, &value));
  EXPECT_FALSE(ReadSignedDecimal("  -", 3, &value));
  EXPECT_TRUE(ReadSignedDecimal("\r\n\v\f 8", 6, &value));
  EXPECT_EQ(value, 8);
  EXPECT_TRUE(ReadSignedDecimal("9223372036854775807", 19, &value));
  EXPECT_EQ(value, INT64_MAX);
  EXPECT_TRUE(ReadSignedDecimal("9223372036854775808", 19, &value));
  EXPECT_EQ(value, INT64_MAX);
}

}  // namespace
