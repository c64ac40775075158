// arttool: .ART art files and .TR colour tables from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "verbs.h"

namespace {

const Verb kVerbs[] = {
    {"info", "FILE.art", "print the header and check that the file decodes", RunInfo},
    {"decode", "FILE.art OUT", "decode to a picture (.png, .bmp or .ppm)", RunDecode},
    {"encode",
     "IN OUT.art [--quality Q | --size BYTES] [--pieces 1|4|auto] [--method fixed|rd] "
     "[--chroma half|full|auto] [--levels N]",
     "encode a picture as .ART", RunEncode},
    {"palette", "IN OUT.tr [--colours N]", "build an octree colour table of at most N colours",
     RunPalette},
    {"scale", "FILE.art W H OUT [--tr T] [--depth 8|16|24]",
     "scale like the wallpaper maker and reduce the colours for a display depth", RunScale},
    {"wallpaper", "FILE.art FILE.tr WIDTH HEIGHT DEPTH OUT.bmp [--ppm X Y]",
     "write the bitmap file the wallpaper maker makes for this screen", RunWallpaper},
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "usage: arttool VERB ARGUMENTS\n\n");
  for (const Verb& verb : kVerbs) {
    std::fprintf(out, "  arttool %s %s\n      %s\n", verb.name, verb.usage, verb.summary);
  }
}

std::string OneLine(const char* text) {
  std::string line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

}  // namespace

int Fail(const std::string& message) {
  std::fprintf(stderr, "arttool: %s\n", OneLine(message.c_str()).c_str());
  return kExitFailure;
}

int FailCodec(const CodecError& error) {
  return Fail(error.message);
}

int UsageFor(const char* name, const std::string& problem) {
  for (const Verb& verb : kVerbs) {
    if (std::strcmp(verb.name, name) == 0) {
      std::fprintf(stderr, "arttool: %s (usage: arttool %s %s)\n", problem.c_str(), verb.name,
                   verb.usage);
    }
  }
  return kExitUsage;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  std::string name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    PrintHelp(stdout);
    return kExitOk;
  }
  for (const Verb& verb : kVerbs) {
    if (name == verb.name) return verb.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "arttool: unknown verb \"%s\" (try arttool help)\n", name.c_str());
  return kExitUsage;
}
