#pragma once
#include <optional>
#include <string>

#include "platform/web/WebStyle.h"

// A style that only aligns text. Each state's dictionary is made on its first request
// and kept; the normal state gets its one entry as it is made.
class TextAlignStyle : public platform::WebStyle {
public:
    TextAlignStyle(std::string name, std::string alignment)
        : WebStyle(std::move(name)), alignment_(std::move(alignment)) {}

    platform::StyleValues& HoverValues() override { return Made(hover_); }
    platform::StyleValues& NormalValues() override {
        if (!normal_) normal_ = platform::StyleValues{{"text-align", alignment_}};
        return *normal_;
    }
    platform::StyleValues& PressedValues() override { return Made(pressed_); }
    platform::StyleValues& VisitedValues() override { return Made(visited_); }

private:
    static platform::StyleValues& Made(std::optional<platform::StyleValues>& values) {
        if (!values) values.emplace();
        return *values;
    }
    std::string alignment_;
    std::optional<platform::StyleValues> hover_, normal_, pressed_, visited_;
};
