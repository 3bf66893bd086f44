#include "platform/web/ListRows.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace platform {

void ListRows::Add(const std::vector<std::string>& cells, std::size_t columns) {
    const std::size_t count = std::min(cells.size(), columns);
    const std::uint64_t start = text_.size();
    for (std::size_t i = 0; i < count; ++i) {
        // A row's offsets are 32-bit: a row can never come near 4 GiB, but a cell that would
        // pass it is cut rather than wrapped into another cell's text.
        const std::uint64_t room = std::numeric_limits<std::uint32_t>::max() - (text_.size() - start);
        text_.append(cells[i], 0, static_cast<std::size_t>(std::min<std::uint64_t>(cells[i].size(), room)));
        cellEnd_.push_back(static_cast<std::uint32_t>(text_.size() - start));
    }
    rowText_.push_back(text_.size());
    rowCell_.push_back(cellEnd_.size());
}

void ListRows::Clear() {
    // Give the memory back: a big day shown once should not stay resident after.
    *this = ListRows();
}

void ListRows::Truncate(std::size_t columns) {
    ListRows kept;
    std::vector<std::string> cells;
    for (std::size_t r = 0; r < size(); ++r) {
        cells.clear();
        for (std::size_t c = 0; c < std::min(CellCount(r), columns); ++c) cells.emplace_back(Cell(r, c));
        kept.Add(cells, columns);
    }
    *this = std::move(kept);
}

std::string_view ListRows::Cell(std::size_t row, std::size_t column) const {
    if (column >= CellCount(row)) return {};
    const std::size_t i = rowCell_[row] + column;
    const std::uint32_t begin = column == 0 ? 0 : cellEnd_[i - 1];
    return std::string_view(text_).substr(rowText_[row] + begin, cellEnd_[i] - begin);
}

}  // namespace platform
