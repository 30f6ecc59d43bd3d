#pragma once

// Shared by the file readers' libFuzzer targets and their seeded runs in the
// normal suite: the input written to a scratch file of this process, and a
// mutator that makes seeded variants of a sample.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace korvex::test {

// A file of this process's own in the temporary folder, holding `data`.
inline std::filesystem::path scratchFile(std::string_view name, std::string_view data) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("korvex-fuzz-" + std::to_string(::getpid()) + "-" + std::string(name));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return path;
}

// `text` with up to 20 random edits: bytes inserted, erased or replaced,
// mostly from `alphabet`, sometimes any byte; now and then a run repeated.
inline std::string mutatedInput(std::mt19937& rng, std::string text, std::string_view alphabet) {
    const int edits = std::uniform_int_distribution<int>(0, 20)(rng);
    for (int i = 0; i < edits; ++i) {
        const auto pos = std::uniform_int_distribution<std::size_t>(0, text.size())(rng);
        const char c = std::uniform_int_distribution<int>(0, 3)(rng) == 0
                           ? static_cast<char>(rng())
                           : alphabet[rng() % alphabet.size()];
        switch (rng() % 4) {
            case 0:
                text.insert(pos, 1, c);
                break;
            case 1:
                if (pos < text.size()) {
                    text.erase(pos, 1 + rng() % 8);
                }
                break;
            case 2:
                if (pos < text.size() && text.size() < 64 * 1024) {
                    text.insert(pos, text.substr(pos, 1 + rng() % 64));
                }
                break;
            default:
                if (pos < text.size()) {
                    text[pos] = c;
                }
        }
    }
    return text;
}

// The round of the first of `rounds` seeded variants of `sample` that
// `check` refuses; -1 when it takes them all.
template <class Check>
int firstRefusedMutation(std::uint32_t seed, int rounds, const std::string& sample,
                         std::string_view alphabet, Check&& check) {
    std::mt19937 rng(seed);
    for (int round = 0; round < rounds; ++round) {
        if (!check(mutatedInput(rng, sample, alphabet))) {
            return round;
        }
    }
    return -1;
}

}  // namespace korvex::test
