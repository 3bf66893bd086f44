#include "platform/web/WebListBox.h"

#include <cstdio>

#include "platform/render/PropertyWriter.h"
#include "platform/runtime/RuntimeException.h"

namespace platform {
namespace {
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
    for (auto& row : rows_)
        if (row.size() > widths_.size()) row.resize(widths_.size());
    MarkPending("columnWidths");
    MarkPending("headings");
    MarkPending("rows");
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

void WebListBox::AddRow(std::vector<std::string> cells) {
    if (cells.size() > widths_.size()) cells.resize(widths_.size());
    rows_.push_back(std::move(cells));
    MarkPending("rows");
}

void WebListBox::DeleteAllRows() {
    if (rows_.empty() && listIndex_ == -1) return;
    rows_.clear();
    listIndex_ = -1;
    MarkPending("rows");
    MarkPending("listIndex");
}

const std::string& WebListBox::Cell(int row, int column) const {
    static const std::string empty;
    if (row < 0 || row >= RowCount())
        throw OutOfBoundsException("row " + std::to_string(row) + " of " + std::to_string(RowCount()));
    CheckColumn(column);
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : empty;
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
    if (event.name != "SelectionChanged" || !event.number) return;
    // A stale or forged index is ignored rather than trusted.
    if (*event.number < -1 || *event.number >= RowCount()) return;
    SetListIndex(static_cast<int>(*event.number));
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
    w.Write("rows", rows_);
    w.Write("listIndex", listIndex_);
}

}  // namespace platform
