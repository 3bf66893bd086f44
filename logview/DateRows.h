#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/TextInputStream.h"
#include "platform/web/RowSource.h"

// The table's rows for one shown date, read from the log when the table sends them: a
// date of a million records holds its text on disk only. Where every 1,024th line starts
// is noted the first time it is passed, so any row is reached by one seek and at most
// 1,023 skipped lines, and a huge date costs 8 bytes per 1,024 of its lines.
class DateRows final : public platform::RowSource {
public:
    // The run of `lines` lines from firstByte up to endByte, read through the page's stream.
    DateRows(platform::TextInputStream& stream, std::int64_t firstByte, std::int64_t endByte, std::uint64_t lines);

    std::size_t RowCount() const override {
        return static_cast<std::size_t>(std::min<std::uint64_t>(lines_, SIZE_MAX));
    }
    // A row is the line's fields after the date, without double quotes; a line the file no
    // longer has (it shrank since the index pass) is a row of no cells.
    void ReadRows(std::size_t first, const std::function<bool(std::vector<std::string>&)>& take) override;

private:
    static constexpr std::uint64_t kMarkEvery = 1024;
    // Records where `line` starts if it is the next line to mark.
    void Mark(std::uint64_t line);
    bool AtLine() { return static_cast<std::int64_t>(stream_.PositionB()) < end_ && !stream_.IsEOF(); }

    platform::TextInputStream& stream_;
    std::int64_t end_;
    std::uint64_t lines_;
    std::vector<std::uint64_t> marks_;  // marks_[k]: the offset of line k * kMarkEvery
};
