// Bytes as the tests write them: "11 02 FF" both ways, text with '|' for
// each 0 byte, and runs of bytes joined.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ms_comm.h"

namespace taplink::testing {

inline Bytes Hex(const std::string& text) {
    std::istringstream in(text);
    Bytes b;
    for (std::string word; in >> word;) {
        if (word.size() != 2) throw std::invalid_argument("not a byte: " + word);
        b.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
    return b;
}

inline std::string Show(const Bytes& b) {
    std::string s;
    char two[4];
    for (const std::uint8_t x : b) {
        std::snprintf(two, sizeof two, "%s%02X", s.empty() ? "" : " ", x);
        s += two;
    }
    return s;
}

inline Bytes B(std::string_view s) {
    Bytes b(s.begin(), s.end());
    for (auto& x : b)
        if (x == '|') x = 0;
    return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace taplink::testing
