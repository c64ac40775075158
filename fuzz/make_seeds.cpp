// Writes the starting corpora of the fuzz targets into SEEDS/<target>/:
// small .ART files of every layout the encoder makes and a few colour
// tables, and, when the product data is there (the native build's
// assets-out), its arts and tables, its theme files' values and its file
// names, each in the form its target reads.
#include <dirent.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "codec/art_encoder.h"
#include "codec/palette_builder.h"
#include "sample_picture.h"

namespace {

std::string g_root;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
  const std::string path = g_root + "/" + target + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> List(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    closedir(d);
  }
  return names;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char a = s[s.size() - tail.size() + i], b = tail[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// FuzzedDataProvider's string: a backslash doubled, ended by "\" and another
// character.
std::string ProviderString(const std::string& s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return out + "\\;";
}

// Tails of settings for the codec paths target (read from the end).
const char* const kSettingTails[] = {"\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c",
                                     "\xff\xfe\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0",
                                     "\x13\x37\x42\x24\x99\x01\x00\x7f\x80\x33\x21\x12\x05"};

void Art(const std::string& name, const std::string& file) {
  if (file.size() > 65536) return;
  Write("wavelet", name, file);
  // The payload target takes 8 chosen bytes and the payload.
  if (file.size() > 108)
    Write("art_payload", name, "\x01\x08\x03\x00\x80\x40\x40\x00" + file.substr(108));
  int n = 0;
  for (const char* tail : kSettingTails) {
    Write("codec_paths", name + "." + std::to_string(n++), file + std::string(tail, 13));
  }
}

void Encoded() {
  struct Seed {
    int width, height, pieces, quality;
    bool halved;
  };
  const Seed seeds[] = {{16, 16, 1, 90, true}, {32, 20, 1, 50, true},   {24, 18, 4, 75, false},
                        {40, 30, 4, 95, true}, {9, 7, 1, 100, false},   {64, 48, 1, 20, true},
                        {8, 4, 4, 80, true},   {48, 32, 4, 100, false}, {2, 1, 1, 90, false}};
  int n = 0;
  for (const Seed& s : seeds) {
    Picture p = MakeSamplePicture(s.width, s.height);
    BgrImage image = {p.bgr.data(), p.width, p.height, p.stride()};
    EncodeOptions options;
    options.pieces = s.pieces;
    options.quality = s.quality;
    options.chroma = s.halved ? ChromaLayout::kHalved : ChromaLayout::kFull;
    ByteBuffer file;
    CodecError error;
    if (EncodeWavelet(image, options, &file, nullptr, &error) != CodecStatus::kOk) {
      std::fprintf(stderr, "seed %d: %s\n", n, error.message);
      continue;
    }
    Art("seed" + std::to_string(n++) + ".art",
        std::string(reinterpret_cast<const char*>(file.data()), file.size));
    std::unique_ptr<BuiltPalette> palette(new BuiltPalette);
    if (BuildPalette(image, 1 + (s.width * 7) % 64, palette.get(), &error) == CodecStatus::kOk) {
      std::vector<char> text(kMaxColourTableText);
      size_t length = FormatColourTable(*palette, text.data(), text.size());
      Write("colour_table", "seed" + std::to_string(n) + ".tr", std::string(text.data(), length));
    }
  }
  const char* tables[] = {"0 0 0 -\n", "9 10 10 - 1\n11 10 10 - 2\n",
                          "255 0 0 - 1\n0 255 0 - 2 7\n0 0 255 -4\r\n1 2 3 - 0"};
  for (const char* t : tables) Write("colour_table", "hand" + std::to_string(n++) + ".tr", t);
}

void ThemeValues(const std::string& name, const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  int n = 0;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    const std::string seed = name + "." + std::to_string(n++);
    if (key == "IconMetrics" || key == "NonclientMetrics") {
      Write("bytetokens", seed, value);
    } else {
      // Windows and theme directories, the value, then buffer size and
      // which directories are known (read from the end).
      Write("theme_values", seed,
            ProviderString("C:\\WINDOWS") + ProviderString("C:\\Program Files\\Plus!\\Themes") +
                value + "\x03\x01\x05");
    }
  }
}

void Texts() {
  Write("bytetokens", "negative", "76 0 0 0 245 255 255 255 0 0 0 0 300 1 0 0 ");
  Write("bytetokens", "short", "84 1 0 0 1 0");
  Write("theme_values", "lower",
        ProviderString("C:\\WINDOWS") + ProviderString("D:\\T") + "%windir%\\x.bmp\x40\x00\x03");
  Write("theme_values", "colour", ProviderString("") + ProviderString("") + "0 0 128\x20\x00\x00");
  const char* rename[] = {
      "C:\\WINDOWS\n",
      ("C:\\WINDOWS\n[boot]\na=b\n[rename]\nC:\\new=C:\\old\nNULL=C:\\WINDOWS\\qvr-kill.exe\n"
       "[other]\nk=v\n"),
      "C:\\WINDOWS\n[ReNaMe]\nA=B\n\nNUL=C:\\W\\qvr-kill.exe\n[rename]\n[rename]\nx=y",
      "C:\\WINDOWS\n[boot]\na=b",
  };
  int n = 0;
  for (const char* r : rename) Write("rename_list", "case" + std::to_string(n++), r);
  Write("name_list", "sixteen",
        "a.theme\nb.theme\nc.theme\nd.theme\ne.theme\nf.theme\ntavol/1.wav\ntavol/2.wav\n"
        "tavol/3.cur\ntavol/4.cur\ntavol/5.ico\ntavol/6.ico\ntavol/7.wav\ntavol/8.wav\n"
        "tavol/9.wav\ntavol/10.wav\n");
  Write("name_list", "crlf", "\x06one\r\ntwo\r\n..\\up\r\n\r\nC:\\abs\r\n/root\r\n");
  const char* saver[] = {"30", "  -5x", "2147483648", "\t+60"};
  const char* lines[] = {"/s", "/p 1234", "-c:5678", "/a", "", "/P 1", "p-9223372036854775809"};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 7; ++j) {
      std::string setting(saver[i]);
      setting.resize(10, '\0');
      // Command line first, then from the end: reported size, missing flag,
      // a number of seconds.
      Write("saver_text", "case" + std::to_string(i) + std::to_string(j),
            setting + lines[j] + std::string("\x00\x00\x00\x1e\x00\x0b", 6));
    }
  }
}

void Product(const std::string& assets) {
  const std::string tavol = assets + "/windows/TAVOL";
  for (const std::string& name : List(tavol)) {
    const std::string bytes = Read(tavol + "/" + name);
    if (EndsWith(name, ".art")) Art(name, bytes);
    if (EndsWith(name, ".tr")) Write("colour_table", name, bytes);
  }
  const std::string themes = assets + "/themes";
  for (const std::string& name : List(themes)) {
    if (EndsWith(name, ".theme")) ThemeValues(name, Read(themes + "/" + name));
  }
  // The theme folder as the forward run lists it: its files, then the
  // subfolder's.
  std::string listing;
  for (const std::string& name : List(themes)) {
    if (EndsWith(name, ".theme")) listing += name + "\n";
  }
  for (const std::string& name : List(themes + "/Tavol")) listing += name + "\n";
  Write("name_list", "product", "\x05" + listing);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_seeds SEEDS_DIR [ASSETS_OUT]\n");
    return 2;
  }
  g_root = argv[1];
  Encoded();
  Texts();
  if (argc == 3) Product(argv[2]);
  return 0;
}
