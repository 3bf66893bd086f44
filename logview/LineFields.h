#pragma once
#include <string>
#include <string_view>
#include <vector>

// The bytes of a log line that are read: no real record comes near it, and past it a
// line of a hostile file is skipped rather than held in memory.
inline constexpr std::size_t kLongestLine = 1 << 20;

// The data columns shown at most (the table grows to the heading's fields up to this).
inline constexpr std::size_t kMostColumns = 256;

// Splits a log line at every ",": no quote handling, nothing trimmed, and an empty line
// gives one empty field.
inline std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    for (;;) {
        const auto comma = line.find(',');
        fields.emplace_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}
