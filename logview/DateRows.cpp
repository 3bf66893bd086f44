#include "logview/DateRows.h"

#include <algorithm>

#include "logview/LineFields.h"
#include "logview/pgLog.h"
#include "platform/runtime/Yield.h"

DateRows::DateRows(platform::TextInputStream& stream, std::int64_t firstByte, std::int64_t endByte,
                   std::uint64_t lines)
    : stream_(stream), end_(endByte), lines_(lines), marks_{static_cast<std::uint64_t>(firstByte)} {}

void DateRows::Mark(std::uint64_t line) {
    if (line % kMarkEvery == 0 && line / kMarkEvery == marks_.size()) marks_.push_back(stream_.PositionB());
}

void DateRows::ReadRows(std::size_t first, const std::function<bool(std::vector<std::string>&)>& take) {
    if (first >= lines_) return;
    const std::uint64_t mark = std::min<std::uint64_t>(first / kMarkEvery, marks_.size() - 1);
    stream_.SetPositionB(static_cast<std::int64_t>(marks_[mark]));
    std::uint64_t line = mark * kMarkEvery;
    for (; line < first && AtLine(); ++line) {
        Mark(line);
        stream_.ReadLineView(0);  // skipped, never held
        platform::YieldToPendingWork();
    }
    std::vector<std::string> cells;
    for (line = first; line < lines_; ++line) {
        cells.clear();
        if (AtLine()) {
            Mark(line);
            cells = SplitFields(stream_.ReadLineView(kLongestLine));
            cells.erase(cells.begin());
            for (auto& field : cells) {
                if (field.find('"') != std::string::npos) field = pgLog::StripQuotes(field);
                platform::YieldToPendingWork();
            }
        }
        if (!take(cells)) break;
        platform::YieldToPendingWork();
    }
    // Between reads the page holds its stream's place, not a buffer.
    stream_.ReleaseBuffer();
}
