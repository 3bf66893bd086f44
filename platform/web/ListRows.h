#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The rows of a list box, packed: every cell's text back to back in one buffer, and four
// bytes of offset per cell. A day of a million records costs about its size on disk,
// not the tens of bytes of bookkeeping per cell that a vector of strings per row would.
class ListRows {
public:
    std::size_t size() const { return rowText_.size() - 1; }
    bool empty() const { return size() == 0; }

    // The cells of a row beyond `columns` are dropped.
    void Add(const std::vector<std::string>& cells, std::size_t columns);
    void Clear();
    // Drops every cell past the first `columns` of each row.
    void Truncate(std::size_t columns);

    std::size_t CellCount(std::size_t row) const { return rowCell_[row + 1] - rowCell_[row]; }
    // The text of a cell; empty for a cell that the row does not have.
    std::string_view Cell(std::size_t row, std::size_t column) const;

private:
    std::string text_;
    // Per row (plus one past the last): where its text starts in text_, and where its
    // first cell's end stands in cellEnd_.
    std::vector<std::uint64_t> rowText_{0};
    std::vector<std::uint64_t> rowCell_{0};
    // The end of each cell, counted from the start of its row's text.
    std::vector<std::uint32_t> cellEnd_;
};

}  // namespace platform
