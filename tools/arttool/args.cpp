#include "args.h"

#include <cerrno>
#include <cstdlib>

bool ParseInt(const std::string& text, int min, int max, int* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < min || v > max) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseVerbArgs(int argc, char** argv, const std::vector<OptionRule>& rules, VerbArgs* args,
                   std::string* error) {
  for (int i = 0; i < argc; ++i) {
    std::string word = argv[i];
    if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
      args->positional.push_back(word);
      continue;
    }
    std::string value;
    size_t eq = word.find('=');
    bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      value = word.substr(eq + 1);
      word = word.substr(0, eq);
    }
    const OptionRule* rule = nullptr;
    for (const OptionRule& s : rules) {
      if (word == s.name) rule = &s;
    }
    if (!rule) {
      *error = "unknown option " + word;
      return false;
    }
    if (rule->takesValue && !inlineValue) {
      if (i + 1 >= argc) {
        *error = "option " + word + " needs a value";
        return false;
      }
      value = argv[++i];
    } else if (!rule->takesValue && inlineValue) {
      *error = "option " + word + " takes no value";
      return false;
    }
    args->options[word] = value;
  }
  return true;
}

bool GetIntOption(const VerbArgs& args, const std::string& name, int fallback, int min, int max,
                  int* value, std::string* error) {
  if (!args.Has(name)) {
    *value = fallback;
    return true;
  }
  if (!ParseInt(args.Get(name, ""), min, max, value)) {
    *error =
        name + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    return false;
  }
  return true;
}
