#pragma once

// A generated BASIC program for measurements: `lines` lines numbered 10, 20,
// ..., most of them referring to other lines through GOTO, GOSUB, THEN and
// ELSE, padded to exactly `size` bytes with CR LF line ends.

#include <cstddef>
#include <random>
#include <string>

namespace tessel::bench {

inline std::string MakeBasicProgram(std::size_t lines = 3000, std::size_t size = 65535,
                                    bool numbered = true) {
    std::mt19937 rng(20261207);
    auto ref = [&] { return std::to_string(10 * (1 + rng() % lines)); };
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) {
        std::string body;
        switch (rng() % 6) {
        case 0:
            body = " GOTO " + ref();
            break;
        case 1:
            body = " GOSUB " + ref();
            break;
        case 2:
            body = " IF A THEN " + ref() + " ELSE " + ref();
            break;
        case 3:
            body = " ON B GOTO " + ref() + "," + ref();
            break;
        case 4:
            body = " PRINT A";
            break;
        default:
            body = " RETURN";
            break;
        }
        if (numbered)
            text += std::to_string(10 * (i + 1));
        text += body + "\r\n";
    }
    // Pad the last line's remark (or cut lines) to the exact size.
    while (text.size() > size) {
        const std::size_t last = text.rfind("\r\n", text.size() - 3);
        text.resize(last + 2);
    }
    if (text.size() < size) {
        // A remark on the last line: ":'" then filler, before its CR LF.
        const std::size_t pad = size - text.size();
        text.insert(text.size() - 2,
                    pad >= 2 ? ":'" + std::string(pad - 2, 'x') : std::string(pad, ' '));
    }
    return text;
}

} // namespace tessel::bench
