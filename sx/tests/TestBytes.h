#pragma once

// Byte vectors for tests, written as hex text.

#include <cstdint>
#include <string_view>
#include <vector>

namespace sx::test {

// Hex digits in pairs; blanks between them are ignored.
inline std::vector<std::uint8_t> hexBytes(std::string_view hex) {
    auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
        i += 2;
    }
    return out;
}

}  // namespace sx::test
