#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/web/ListRows.h"
#include "platform/web/RowSource.h"
#include "platform/web/WebControl.h"

namespace platform::render {
struct RowWindow;
}

namespace platform {

// A list of rows of text cells under an optional heading row, rendered as an ARIA grid.
// The browser holds only the rows near its view and asks for others as it scrolls, so a
// list of a million rows costs the browser what a screenful does.
// Column widths are texts: a number of pixels ("100"), a percentage ("25%"), a share of
// what fixed columns leave ("*", "2*"), and "0" for a column that takes no space.
class WebListBox : public WebControl {
public:
    explicit WebListBox(std::string name = "WebListBox");

    int ColumnCount() const { return static_cast<int>(widths_.size()); }
    // Keeps the widths and headings of remaining columns; new ones get "*" and no heading.
    void SetColumnCount(int count);
    // The widths of the first columns, comma-separated; the others get "*".
    void SetColumnWidths(const std::string& widths);
    std::string ColumnWidths() const;
    const std::string& ColumnWidth(int column) const;
    void SetColumnWidth(int column, std::string width);
    const std::string& Heading(int column) const;
    void SetHeading(int column, std::string text);
    bool HasHeading() const { return hasHeading_; }
    void SetHasHeading(bool v) { Assign(hasHeading_, v, "hasHeading"); }

    int PrimaryRowColor() const { return primaryRowColor_; }
    int AlternateRowColor() const { return alternateRowColor_; }
    void SetPrimaryRowColor(int rgb) { Assign(primaryRowColor_, rgb & 0xFFFFFF, "primaryRowColor"); }
    void SetAlternateRowColor(int rgb) { Assign(alternateRowColor_, rgb & 0xFFFFFF, "alternateRowColor"); }
    int MinimumRowHeight() const { return minimumRowHeight_; }
    void SetMinimumRowHeight(int v) { Assign(minimumRowHeight_, v, "minRowHeight"); }
    // True: cell text wraps and rows grow; false: one line, cut off with an ellipsis.
    bool Multiline() const { return multiline_; }
    void SetMultiline(bool v) { Assign(multiline_, v, "multiline"); }
    const std::shared_ptr<WebStyle>& HeaderStyle() const { return headerStyle_; }
    void SetHeaderStyle(std::shared_ptr<WebStyle> style);
    const std::shared_ptr<WebStyle>& SelectionStyle() const { return selectionStyle_; }
    void SetSelectionStyle(std::shared_ptr<WebStyle> style);

    // Appends a row whose cells take the texts in order; texts past the last column are
    // dropped. UnsupportedOperationException while the rows come from a source.
    void AddRow(std::vector<std::string> cells);
    // Replaces every row by the rows of source, read only when they are sent or asked for.
    void SetRows(std::unique_ptr<RowSource> source);
    void DeleteAllRows();
    int RowCount() const;
    // The text of column 0 of a row.
    std::string List(int row) const { return Cell(row, 0); }
    std::string Cell(int row, int column) const;

    int ListIndex() const { return listIndex_; }
    // -1 selects nothing. A different value raises SelectionChanged at once.
    void SetListIndex(int index);

    Event<WebListBox&> SelectionChanged;

    void HandleBrowserEvent(const BrowserEvent& event) override;
    bool IsViewRequest(const BrowserEvent& event) const override { return event.name == "Rows"; }
    void WriteProperties(render::PropertyWriter& writer) const override;

private:
    void CheckColumn(int column) const;
    // One column's width or heading, marked pending when it changes.
    void SetColumnEntry(std::vector<std::string>& entries, int column, std::string text, std::string_view property);

    std::vector<std::string> widths_{"*"};
    std::vector<std::string> headings_{""};
    // Row texts changed: the browser drops what it holds, and gets the rows around the selection.
    void RowsChanged();
    render::RowWindow Window() const;
    // Each row from `first` on, from the source or the held rows, cut to the column count.
    void ReadRows(std::size_t first, const std::function<bool(std::vector<std::string>&)>& take) const;

    ListRows rows_;
    std::unique_ptr<RowSource> source_;  // when set, the rows instead of rows_
    long long generation_ = 0;  // bumped whenever the rows' content changes
    long long windowFirst_ = -1;  // the row the browser asked for; -1: around the selection
    bool hasHeading_ = false;
    int primaryRowColor_ = 0xFFFFFF;
    int alternateRowColor_ = 0xFFFFFF;
    int minimumRowHeight_ = 22;
    bool multiline_ = false;
    int listIndex_ = -1;
    std::shared_ptr<WebStyle> headerStyle_ = WebStyle::Default();
    std::shared_ptr<WebStyle> selectionStyle_ = WebStyle::Default();
};

}  // namespace platform
