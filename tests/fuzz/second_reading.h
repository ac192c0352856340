#pragma once

// The saved-game format read a second time, straight from the game's rules and on purpose
// sharing no code with the game's codec, so that a fault in one shows as a difference.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace second_reading {

struct Cursor {
    std::string_view text;
    std::size_t at = 0;

    bool ended() const { return at >= text.size(); }
    unsigned char byte() const { return static_cast<unsigned char>(text[at]); }

    // A line is its bytes up to CR or LF; CR LF, a lone CR or a lone LF ends it.
    std::string_view line() {
        const std::size_t start = at;
        while (!ended() && byte() != '\r' && byte() != '\n')
            ++at;
        const std::string_view bytes = text.substr(start, at - start);
        if (!ended() && byte() == '\r') {
            ++at;
            if (!ended() && byte() == '\n')
                ++at;
        } else if (!ended()) {
            ++at;
        }
        return bytes;
    }

    // Blanks are skipped across lines, a file that ends there reads 0, the number runs to
    // the next blank, and the rest of its line goes with it.
    std::optional<std::int32_t> value() {
        while (!ended() && byte() <= 32)
            ++at;
        if (ended())
            return 0;
        const std::size_t start = at;
        while (!ended() && byte() > 32)
            ++at;
        std::string_view digits = text.substr(start, at - start);
        line();
        const bool negative = digits.front() == '-';
        if (negative)
            digits.remove_prefix(1);
        if (digits.empty())
            return std::nullopt;
        std::int64_t number = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            if (number <= INT64_C(1) << 32) // past the range already; no need to grow
                number = number * 10 + (c - '0');
        }
        number = negative ? -number : number;
        if (number < INT32_MIN || number > INT32_MAX)
            return std::nullopt;
        return static_cast<std::int32_t>(number);
    }
};

// The staging text of a saved-game file, or nothing when its first value is not a number.
inline std::optional<std::string> decode(std::string_view file) {
    Cursor cursor{file};
    const auto first = cursor.value();
    if (!first)
        return std::nullopt;
    const std::int64_t shift = std::int64_t{*first} + 1;
    std::string staging;
    while (!cursor.ended()) {
        for (const char c : cursor.line())
            staging += static_cast<char>(static_cast<std::uint8_t>(c) - shift);
        staging += "\r\n";
    }
    return staging;
}

inline std::optional<std::array<std::int32_t, 17>> values(std::string_view staging) {
    Cursor cursor{staging};
    std::array<std::int32_t, 17> read{};
    for (std::int32_t &value : read) {
        const auto next = cursor.value();
        if (!next)
            return std::nullopt;
        value = *next;
    }
    return read;
}

inline std::string encode(const std::array<std::int32_t, 17> &values, int shift) {
    std::string file = std::to_string(shift - 1) + "\r\n";
    for (const std::int32_t value : values) {
        for (const char c : std::to_string(value))
            file += static_cast<char>(static_cast<std::uint8_t>(c) + shift);
        file += "\r\n";
    }
    return file;
}

} // namespace second_reading
