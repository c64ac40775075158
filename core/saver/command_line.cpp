#include "saver/command_line.h"

#include <cstring>

#include "saver/decimal_text.h"

SaverCommand ParseSaverCommandLine(const char* commandLine) {
  SaverCommand command;
  if (!commandLine || !*commandLine) return command;
  const char* p = commandLine;
  if (*p == '/' || *p == '-') ++p;
  command.letter = *p;
  command.argument = *p ? p + 1 : p;
  switch (command.letter) {
    case '\0':
      command.mode = SaverMode::kSettingsNoOwner;
      break;
    case 's':
    case 'S':
      command.mode = SaverMode::kFullScreen;
      break;
    case 'p':
      command.mode = SaverMode::kPreview;
      command.hasPreviewWindow = ReadSignedDecimal(command.argument, std::strlen(command.argument),
                                                   &command.previewWindow);
      break;
    case 'c':
      command.mode = SaverMode::kSettingsOwned;
      break;
    case 'a':
      command.mode = SaverMode::kPassword;
      break;
    default:
      command.mode = SaverMode::kUnknown;
      command.unknownText = commandLine;
      break;
  }
  return command;
}

int SaverModeExitCode(SaverMode mode) {
  switch (mode) {
    case SaverMode::kSettingsNoOwner:
    case SaverMode::kSettingsOwned:
      return 1;
    case SaverMode::kPassword:
    case SaverMode::kUnknown:
      return 0;
    case SaverMode::kFullScreen:
    case SaverMode::kPreview:
      break;
  }
  return -1;
}
