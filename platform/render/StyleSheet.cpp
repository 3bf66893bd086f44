#include "platform/render/StyleSheet.h"

#include <cctype>

namespace platform::render {
namespace {

bool SafeProperty(const std::string& name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (!(std::islower(static_cast<unsigned char>(c)) || c == '-')) return false;
    return true;
}

bool SafeValue(const std::string& value) {
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == ';' || c == '{' || c == '}' || c == '<' || c == '>' || c == '\\') return false;
    }
    return true;
}

void Rule(std::string& css, const std::string& selector, const StyleValues& values) {
    std::string body;
    for (const auto& [name, value] : values)
        if (SafeProperty(name) && SafeValue(value)) body += name + ": " + value + "; ";
    if (!body.empty()) css += selector + " { " + body + "}\n";
}

}  // namespace

std::string StyleClassName(const std::string& styleName) {
    std::string out = "ws-";
    for (const char c : styleName)
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' ? c : '_';
    return out;
}

std::string RenderStyleSheet(const std::vector<std::shared_ptr<WebStyle>>& styles) {
    std::string css = "body { margin: 0; font-family: system-ui, sans-serif; font-size: 14px; }\n";
    for (const auto& style : styles) {
        if (!style) continue;
        const std::string selector = "." + StyleClassName(style->Name());
        Rule(css, selector, style->NormalValues());
        Rule(css, selector + ":hover", style->HoverValues());
        Rule(css, selector + ":active", style->PressedValues());
        Rule(css, selector + ":visited", style->VisitedValues());
    }
    return css;
}

}  // namespace platform::render
