#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::render {

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
    void Write(std::string_view name, const std::vector<std::vector<std::string>>& value);
    // Properties that exist only for the first paint (kind, parent).
    void WriteAlways(std::string_view name, const std::string& value);

    bool Empty() const;
    // The JSON object text of what was written.
    std::string Dump() const;
    struct Impl;
    Impl& impl() { return *impl_; }

private:
    bool Wanted(std::string_view name) const;
    bool everything_;
    const std::vector<std::string_view>& pending_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::render
