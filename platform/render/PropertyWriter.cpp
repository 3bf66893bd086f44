#include "platform/render/PropertyWriter.h"

#include <algorithm>

#include "platform/render/Json.h"

namespace platform::render {

PropertyWriter::PropertyWriter(bool everything, const std::vector<std::string_view>& pending)
    : everything_(everything), pending_(pending), impl_(std::make_unique<Impl>()) {}
PropertyWriter::~PropertyWriter() = default;

bool PropertyWriter::Wants(std::string_view name) const {
    return everything_ || std::find(pending_.begin(), pending_.end(), name) != pending_.end();
}

void PropertyWriter::Write(std::string_view name, int value) {
    if (Wants(name)) impl_->object[std::string(name)] = value;
}
void PropertyWriter::Write(std::string_view name, bool value) {
    if (Wants(name)) impl_->object[std::string(name)] = value;
}
void PropertyWriter::Write(std::string_view name, const std::string& value) {
    if (Wants(name)) impl_->object[std::string(name)] = value;
}
void PropertyWriter::Write(std::string_view name, const std::vector<std::string>& value) {
    if (Wants(name)) impl_->object[std::string(name)] = value;
}
void PropertyWriter::Write(std::string_view name, const RowWindow& value) {
    if (!Wants(name)) return;
    impl_->object[std::string(name)] =
        Json{{"count", value.count}, {"gen", value.generation}, {"first", value.first}, {"cells", value.cells}};
}
void PropertyWriter::WriteAlways(std::string_view name, const std::string& value) {
    if (everything_) impl_->object[std::string(name)] = value;
}

bool PropertyWriter::Empty() const { return impl_->object.empty(); }
std::string PropertyWriter::Dump() const { return DumpJson(impl_->object); }

}  // namespace platform::render
