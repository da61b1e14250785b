// Runs ulvo-render as a user does, in a folder of its own, and reads back what it wrote.
#pragma once

#include <set>
#include <string>
#include <vector>

// A temporary folder, removed with everything in it at the end of the test.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    std::string path(const std::string& name) const { return folder + "/" + name; }
    // Names of the files in the folder.
    std::vector<std::string> files() const;
    std::set<std::string> fileSet() const;

  private:
    std::string folder;
};

struct RunResult {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs ulvo-render with `args`, capturing both output streams through files in `scratch`.
// `shellPrefix`, e.g. "ulimit -f 64; ", runs in the same shell first. Nothing installed on the
// machine is seen: LV2_PATH is `lv2Path` (by default no folder, so that a URI finds only the
// build's bundles beside ulvo-render), HOME is `scratch` and the XDG folders are in it.
RunResult runRender(const std::vector<std::string>& args, const TempFolder& scratch,
                    const std::string& shellPrefix = "", const std::string& lv2Path = "");

// As runRender, with the ulvo-render at `tool`: a copy in a folder tree of the test's own.
RunResult runTool(const std::string& tool, const std::vector<std::string>& args,
                  const TempFolder& scratch, const std::string& lv2Path = "");

// The whole file as text; empty when there is none.
std::string slurp(const std::string& path);

int countLines(const std::string& text);

struct Audio {
    int rate = 0;
    int format = 0; // libsndfile's SF_FORMAT_* of the file
    std::vector<std::vector<float>> channels;
    std::size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// Reads a WAV or FLAC file whole; fails the test if it cannot.
Audio readAudio(const std::string& path);
