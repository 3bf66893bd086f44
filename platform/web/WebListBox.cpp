#include "platform/web/WebListBox.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/render/PropertyWriter.h"
#include "platform/runtime/RuntimeException.h"
#include "platform/web/WebSession.h"

namespace platform {
namespace {
// What one message carries at most; the browser asks again as it scrolls.
constexpr std::size_t kWindowRows = 300;
constexpr std::uint64_t kWindowBytes = 1 << 20;
// A cell is sent cut to this length: no table cell shows more, and one hostile cell
// must not make a message of hundreds of megabytes.
constexpr std::size_t kCellBytes = 64 * 1024;

std::string Shown(std::string cell) {
    if (cell.size() <= kCellBytes) return cell;
    std::size_t cut = kCellBytes;
    while (cut > 0 && (static_cast<unsigned char>(cell[cut]) & 0xC0) == 0x80) --cut;  // not mid-character
    cell.resize(cut);
    return cell;
}

std::string Hex(int rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", rgb & 0xFFFFFF);
    return text;
}
}  // namespace

WebListBox::WebListBox(std::string name) : WebControl("listbox", std::move(name)) {}

void WebListBox::CheckColumn(int column) const {
    if (column < 0 || column >= ColumnCount())
        throw OutOfBoundsException("column " + std::to_string(column) + " of " + std::to_string(ColumnCount()));
}

void WebListBox::SetColumnCount(int count) {
    if (count < 1) count = 1;
    if (count == ColumnCount()) return;
    widths_.resize(static_cast<std::size_t>(count), "*");
    headings_.resize(static_cast<std::size_t>(count));
    rows_.Truncate(widths_.size());
    MarkPending("columnWidths");
    MarkPending("headings");
    RowsChanged();
}

void WebListBox::SetColumnWidths(const std::string& widths) {
    std::vector<std::string> next(widths_.size(), "*");
    std::size_t column = 0, start = 0;
    while (column < next.size() && start <= widths.size()) {
        const auto comma = widths.find(',', start);
        const auto end = comma == std::string::npos ? widths.size() : comma;
        std::string entry = widths.substr(start, end - start);
        if (!entry.empty()) next[column] = std::move(entry);
        ++column;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    Assign(widths_, std::move(next), "columnWidths");
}

std::string WebListBox::ColumnWidths() const {
    std::string joined;
    for (std::size_t i = 0; i < widths_.size(); ++i) joined += (i ? "," : "") + widths_[i];
    return joined;
}

void WebListBox::SetColumnEntry(std::vector<std::string>& entries, int column, std::string text,
                                std::string_view property) {
    CheckColumn(column);
    auto& field = entries[static_cast<std::size_t>(column)];
    if (field == text) return;
    field = std::move(text);
    MarkPending(property);
}

const std::string& WebListBox::ColumnWidth(int column) const {
    CheckColumn(column);
    return widths_[static_cast<std::size_t>(column)];
}

void WebListBox::SetColumnWidth(int column, std::string width) {
    SetColumnEntry(widths_, column, std::move(width), "columnWidths");
}

const std::string& WebListBox::Heading(int column) const {
    CheckColumn(column);
    return headings_[static_cast<std::size_t>(column)];
}

void WebListBox::SetHeading(int column, std::string text) { SetColumnEntry(headings_, column, std::move(text), "headings"); }

void WebListBox::SetHeaderStyle(std::shared_ptr<WebStyle> style) {
    headerStyle_ = style ? std::move(style) : WebStyle::Default();
    MarkPending("headerStyle");
}

void WebListBox::SetSelectionStyle(std::shared_ptr<WebStyle> style) {
    selectionStyle_ = style ? std::move(style) : WebStyle::Default();
    MarkPending("selectionStyle");
}

void WebListBox::RowsChanged() {
    ++generation_;
    windowFirst_ = -1;
    MarkPending("rows");
}

void WebListBox::AddRow(std::vector<std::string> cells) {
    if (source_) throw UnsupportedOperationException("rows cannot be added to a list whose rows come from a source");
    rows_.Add(cells, widths_.size());
    RowsChanged();
}

void WebListBox::SetRows(std::unique_ptr<RowSource> source) {
    rows_.Clear();
    source_ = std::move(source);
    if (listIndex_ != -1) {
        listIndex_ = -1;
        MarkPending("listIndex");
    }
    RowsChanged();
}

void WebListBox::DeleteAllRows() {
    if (rows_.empty() && !source_ && listIndex_ == -1) return;
    rows_.Clear();
    source_.reset();
    listIndex_ = -1;
    RowsChanged();
    MarkPending("listIndex");
}

int WebListBox::RowCount() const {
    const std::size_t count = source_ ? source_->RowCount() : rows_.size();
    // A list's rows are counted in int by its callers; a source cannot claim more.
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

void WebListBox::ReadRows(std::size_t first, const std::function<bool(std::vector<std::string>&)>& take) const {
    if (source_) {
        source_->ReadRows(first, [&](std::vector<std::string>& cells) {
            if (cells.size() > widths_.size()) cells.resize(widths_.size());
            return take(cells);
        });
        return;
    }
    std::vector<std::string> cells;
    for (std::size_t r = first; r < rows_.size(); ++r) {
        cells.clear();
        for (std::size_t c = 0; c < rows_.CellCount(r); ++c) cells.emplace_back(rows_.Cell(r, c));
        if (!take(cells)) return;
    }
}

std::string WebListBox::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount())
        throw OutOfBoundsException("row " + std::to_string(row) + " of " + std::to_string(RowCount()));
    CheckColumn(column);
    if (!source_) return std::string(rows_.Cell(static_cast<std::size_t>(row), static_cast<std::size_t>(column)));
    std::string text;
    ReadRows(static_cast<std::size_t>(row), [&](std::vector<std::string>& cells) {
        if (static_cast<std::size_t>(column) < cells.size()) text = std::move(cells[static_cast<std::size_t>(column)]);
        return false;
    });
    return text;
}

render::RowWindow WebListBox::Window() const {
    render::RowWindow window;
    window.count = RowCount();
    window.generation = generation_;
    long long first = windowFirst_;
    if (first < 0) first = listIndex_ < 0 ? 0 : listIndex_ - static_cast<long long>(kWindowRows / 2);
    first = std::clamp(first, 0LL, std::max(0LL, window.count - 1));
    window.first = first;
    std::uint64_t bytes = 0;
    try {
        ReadRows(static_cast<std::size_t>(first), [&](std::vector<std::string>& cells) {
            for (auto& cell : cells) {
                bytes += cell.size();
                cell = Shown(std::move(cell));
            }
            window.cells.push_back(std::move(cells));
            return window.cells.size() < kWindowRows && bytes < kWindowBytes;
        });
    } catch (const RuntimeException&) {
        // Rows from a source are read here, while the changes go out: a failure (a drive
        // pulled) goes the way of a handler's, and the browser gets the rows read before it.
        if (WebSession* session = WebSession::Current()) session->ReportUnhandled(std::current_exception());
        else throw;
    }
    return window;
}

void WebListBox::SetListIndex(int index) {
    if (index < -1 || index >= RowCount())
        throw OutOfBoundsException("list index " + std::to_string(index) + " of " + std::to_string(RowCount()));
    if (index == listIndex_) return;
    listIndex_ = index;
    MarkPending("listIndex");
    SelectionChanged.Raise(*this);
}

void WebListBox::HandleBrowserEvent(const BrowserEvent& event) {
    if (event.name == "Rows" && event.number) {
        // The browser scrolled to rows it does not hold. Any row number is safe: the window is clamped.
        windowFirst_ = std::max(0LL, *event.number);
        MarkPending("rows");
        return;
    }
    if (event.name != "SelectionChanged" || !event.number) return;
    // A stale or forged index is ignored rather than trusted.
    if (*event.number < -1 || *event.number >= RowCount()) return;
    const int chosen = static_cast<int>(*event.number);
    SetListIndex(chosen);
    if (listIndex_ == chosen) UnmarkPending("listIndex");  // unless a handler chose otherwise
}

void WebListBox::WriteProperties(render::PropertyWriter& w) const {
    WebControl::WriteProperties(w);
    w.Write("columnWidths", widths_);
    w.Write("headings", headings_);
    w.Write("hasHeading", hasHeading_);
    w.Write("primaryRowColor", Hex(primaryRowColor_));
    w.Write("alternateRowColor", Hex(alternateRowColor_));
    w.Write("minRowHeight", minimumRowHeight_);
    w.Write("multiline", multiline_);
    w.Write("headerStyle", headerStyle_->Name());
    w.Write("selectionStyle", selectionStyle_->Name());
    if (w.Wants("rows")) w.Write("rows", Window());
    w.Write("listIndex", listIndex_);
}

}  // namespace platform
