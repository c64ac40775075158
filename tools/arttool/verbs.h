// arttool verbs. Each verb is one function over its own arguments; add a
// verb by writing its Run function and one row in kVerbs (main.cpp).
#pragma once

#include <string>

#include "codec/codec_base.h"

struct Verb {
  const char* name;
  const char* usage;                  // arguments after the verb name
  const char* summary;                // one line for the help text
  int (*run)(int argc, char** argv);  // words after the verb
};

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // bad input or a failed operation
constexpr int kExitUsage = 2;    // wrong arguments

// Prints "arttool: <message>" as one line on stderr; returns kExitFailure.
int Fail(const std::string& message);
// The same for a codec error (its line breaks folded into one line).
int FailCodec(const CodecError& error);
// Prints the verb's usage line on stderr; returns kExitUsage.
int UsageFor(const char* verb, const std::string& problem);

int RunInfo(int argc, char** argv);
int RunDecode(int argc, char** argv);
int RunEncode(int argc, char** argv);
int RunPalette(int argc, char** argv);
int RunScale(int argc, char** argv);
int RunWallpaper(int argc, char** argv);
