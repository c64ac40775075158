// Command-line arguments of one arttool verb: positional words and
// "--name value" / "--flag" options checked against the verb's list.
#pragma once

#include <map>
#include <string>
#include <vector>

struct OptionRule {
  const char* name;  // with the leading "--"
  bool takesValue;
};

struct VerbArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& fallback) const {
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
  }
};

// argv holds the words after the verb. False with a message on an unknown
// option or a missing value.
bool ParseVerbArgs(int argc, char** argv, const std::vector<OptionRule>& rules, VerbArgs* args,
                   std::string* error);

// Reads option `name` as a whole number in [min, max]; absent gives fallback.
bool GetIntOption(const VerbArgs& args, const std::string& name, int fallback, int min, int max,
                  int* value, std::string* error);

// Parses a whole decimal number in [min, max].
bool ParseInt(const std::string& text, int min, int max, int* value);
