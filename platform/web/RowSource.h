#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Rows that a list box reads when it sends them, instead of holding their text: a list
// of a million rows then costs the server what the rows in the browser's view cost.
// Used on the owning session's thread only.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual std::size_t RowCount() const = 0;
    // Hands the cells of each row from `first` on to `take`, in order, until take returns
    // false or the rows end. take may keep the cells (they are its to move from).
    virtual void ReadRows(std::size_t first, const std::function<bool(std::vector<std::string>& cells)>& take) = 0;
};

}  // namespace platform
