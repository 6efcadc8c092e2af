#pragma once

// A generated BASIC program for measurements: `lines` lines numbered 10, 20,
// ..., most of them referring to other lines through GOTO, GOSUB, THEN and
// ELSE, padded to exactly `size` bytes with CR LF line ends.

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace tessel::bench {

inline std::string MakeBasicProgram(std::size_t lines = 3000, std::size_t size = 65535,
                                    bool numbered = true) {
    std::mt19937 rng(20261207);
    auto ref = [&] { return std::to_string(10 * (1 + rng() % lines)); };
    std::vector<std::string> program;
    std::size_t total = 0;
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = numbered ? std::to_string(10 * (i + 1)) : std::string();
        switch (rng() % 6) {
        case 0:
            line += " GOTO " + ref();
            break;
        case 1:
            line += " GOSUB " + ref();
            break;
        case 2:
            line += " IF A THEN " + ref() + " ELSE " + ref();
            break;
        case 3:
            line += " ON B GOTO " + ref() + "," + ref();
            break;
        case 4:
            line += " PRINT A";
            break;
        default:
            line += " RETURN";
            break;
        }
        total += line.size() + 2;
        program.push_back(std::move(line));
    }
    // Reach the exact size with short remarks spread over the lines, so that
    // every line stays short enough to send.
    for (std::size_t i = 0; total < size; i = (i + 1) % program.size()) {
        const std::size_t pad = std::min<std::size_t>(size - total, 12);
        program[i] += pad >= 2 ? ":'" + std::string(pad - 2, 'x') : std::string(pad, ' ');
        total += pad;
    }
    std::string text;
    text.reserve(total);
    for (const std::string& line : program) {
        if (text.size() + line.size() + 2 > size)
            break;
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace tessel::bench
