#pragma once
#include <string>
#include <string_view>
#include <vector>

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
