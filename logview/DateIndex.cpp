#include "logview/pgLog.h"

void pgLog::CreateBlockArray() {}

const dateBlock* pgLog::FindBlock(const std::string& /*date*/) const { return nullptr; }

std::string pgLog::StripQuotes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s)
        if (c != '"') out += c;
    return out;
}
