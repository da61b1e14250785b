// Runs a fuzz target without libFuzzer, for the ordinary and the sanitizer builds: every file of
// the folders given, then `--random N` pseudo-random inputs from a fixed seed. Any broken
// promise aborts, so the test fails with the input's name printed first.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::uint64_t nextRandom(std::uint64_t& state) { // splitmix64
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void runFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)),
                                          std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s\n", file.c_str());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = 0;
    long randomInputs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--random") == 0 && i + 1 < argc) {
            randomInputs = std::strtol(argv[++i], nullptr, 10);
            continue;
        }
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> found;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file()) found.push_back(entry.path());
            std::sort(found.begin(), found.end());
        } else {
            found.push_back(path);
        }
        for (const auto& file : found)
            runFile(file);
        files += found.size();
    }
    std::uint64_t state = 0x5EEDu;
    std::vector<std::uint8_t> bytes;
    for (long n = 0; n < randomInputs; ++n) {
        bytes.resize(nextRandom(state) % 1024);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(nextRandom(state));
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu files and %ld random inputs\n", files, randomInputs);
    return files == 0 && randomInputs == 0 ? 1 : 0;
}
