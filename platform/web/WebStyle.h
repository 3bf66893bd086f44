#pragma once
#include <map>
#include <memory>
#include <string>

namespace platform {

using StyleValues = std::map<std::string, std::string>;  // CSS property name -> value

// A named style: CSS values for the normal, hover, pressed and visited states.
// Subclasses replace the four value operations; the framework renders them into the
// session's style sheet under the style's name.
class WebStyle {
public:
    explicit WebStyle(std::string name = "_DefaultStyle") : name_(std::move(name)) {}
    virtual ~WebStyle() = default;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    virtual StyleValues& HoverValues() { return hover_; }
    virtual StyleValues& NormalValues() { return normal_; }
    virtual StyleValues& PressedValues() { return pressed_; }
    virtual StyleValues& VisitedValues() { return visited_; }

    // A fresh instance of the framework's default style, which sets nothing.
    static std::shared_ptr<WebStyle> Default() { return std::make_shared<WebStyle>(); }

private:
    std::string name_;
    StyleValues hover_, normal_, pressed_, visited_;
};

}  // namespace platform
