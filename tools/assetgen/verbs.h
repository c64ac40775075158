// The verbs of assetgen. Each returns the process exit code (0 on success);
// the verbs that make many files list them, one a line relative to OUTDIR, in
// <verb>.list in the folder of the option --lists (OUTDIR when not given).
#pragma once

#include <map>
#include <string>
#include <vector>

using Options = std::map<std::string, std::string>;

int RunPaint(const std::string& name, const std::string& out, const Options& options);
int RunAbout(const std::string& outDir, const Options& options);
int RunIcons(const std::string& outDir, const Options& options);
int RunPointers(const std::string& outDir, const Options& options);
int RunSounds(const std::string& outDir, const Options& options);
int RunThemes(const std::string& outDir, const Options& options);
int RunSheet(const std::string& out);

// Shared by the verbs: creates a directory and its parents.
bool MakeDirectories(const std::string& path);
// Writes the names one a line to <--lists or outDir>/list.
bool WriteList(const std::string& outDir, const Options& options, const std::string& list,
               const std::vector<std::string>& names);
int Fail(const std::string& message);
