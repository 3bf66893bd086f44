#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::render {

// A slice of a long list for the wire: how many rows there are, which version of their
// content this is, and the texts of the rows from `first` on.
struct RowWindow {
    long long count = 0;
    long long generation = 0;
    long long first = 0;
    std::vector<std::vector<std::string>> cells;
};

// Collects a control's properties for the wire: all of them for a first paint, or only
// those marked pending for a delta. The one path for both keeps them from drifting apart.
class PropertyWriter {
public:
    PropertyWriter(bool everything, const std::vector<std::string_view>& pending);
    ~PropertyWriter();
    PropertyWriter(const PropertyWriter&) = delete;
    PropertyWriter& operator=(const PropertyWriter&) = delete;

    void Write(std::string_view name, int value);
    void Write(std::string_view name, bool value);
    void Write(std::string_view name, const std::string& value);
    void Write(std::string_view name, const std::vector<std::string>& value);
    void Write(std::string_view name, const RowWindow& value);
    // Properties that exist only for the first paint (kind, parent).
    void WriteAlways(std::string_view name, const std::string& value);

    // True when a property of this name goes into this write; lets a control skip
    // assembling a costly value that is not wanted.
    bool Wants(std::string_view name) const;

    bool Empty() const;
    // The JSON object text of what was written.
    std::string Dump() const;
    struct Impl;
    Impl& impl() { return *impl_; }

private:
    bool everything_;
    const std::vector<std::string_view>& pending_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::render
