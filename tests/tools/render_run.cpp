#include "tests/tools/render_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sndfile.h>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int countLines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TempFolder::TempFolder() {
    std::string pattern =
        std::filesystem::temp_directory_path().string() + "/ulvo-render-test.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::vector<std::string> TempFolder::files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

std::set<std::string> TempFolder::fileSet() const {
    const auto names = files();
    return {names.begin(), names.end()};
}

namespace {

RunResult runCommand(const std::string& tool, const std::vector<std::string>& args,
                     const TempFolder& scratch, const std::string& shellPrefix,
                     const std::string& lv2Path) {
    std::string command =
        shellPrefix + "env LV2_PATH=" + quoted(lv2Path) + " HOME=" + quoted(scratch.path("")) +
        " XDG_CONFIG_HOME=" + quoted(scratch.path(".config")) +
        " XDG_DATA_HOME=" + quoted(scratch.path(".local/share")) + " " + quoted(tool);
    for (const std::string& a : args) {
        command += ' ';
        command += quoted(a);
    }
    const std::string outPath = scratch.path("stdout.txt");
    const std::string errPath = scratch.path("stderr.txt");
    command += " >";
    command += quoted(outPath);
    command += " 2>";
    command += quoted(errPath);
    command += " </dev/null";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

} // namespace

RunResult runRender(const std::vector<std::string>& args, const TempFolder& scratch,
                    const std::string& shellPrefix, const std::string& lv2Path) {
    return runCommand(ULVO_RENDER, args, scratch, shellPrefix, lv2Path);
}

RunResult runTool(const std::string& tool, const std::vector<std::string>& args,
                  const TempFolder& scratch, const std::string& lv2Path) {
    return runCommand(tool, args, scratch, "", lv2Path);
}

Audio readAudio(const std::string& path) {
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file == nullptr) return audio;
    audio.rate = info.samplerate;
    audio.format = info.format;
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, interleaved.data(), info.frames), info.frames);
    sf_close(file);
    audio.channels.assign(info.channels, std::vector<float>(info.frames));
    for (sf_count_t i = 0; i < info.frames; ++i)
        for (int c = 0; c < info.channels; ++c)
            audio.channels[c][i] = interleaved[i * info.channels + c];
    return audio;
}
