#include "platform/web/WebCookieManager.h"

#include <boost/url/encode.hpp>
#include <boost/url/grammar/lut_chars.hpp>
#include <boost/url/pct_string_view.hpp>

#include "platform/session/RandomToken.h"
#include "platform/web/WebSession.h"

namespace platform {
namespace {

namespace urls = boost::urls;

// A cookie name is an HTTP token; a value is a run of cookie-octets. '%' is left out of
// both, as it starts our escapes.
constexpr urls::grammar::lut_chars kNameChars =
    "!#$&'*+-.^_`|~0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr urls::grammar::lut_chars kValueChars =
    "!#$&'()*+-./0123456789:<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{|}~";

// Path characters, less ';' which would end the attribute.
constexpr urls::grammar::lut_chars kPathChars =
    "!$&'()*+,=:@-._~/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool IsDomain(std::string_view s) {
    for (const char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-')) return false;
    return true;
}

}  // namespace

std::string WebCookieManager::EncodeName(std::string_view name) {
    return urls::encode(urls::string_view(name.data(), name.size()), kNameChars);
}

std::string WebCookieManager::EncodeValue(std::string_view value) {
    return urls::encode(urls::string_view(value.data(), value.size()), kValueChars);
}

std::string WebCookieManager::Decode(std::string_view text) {
    const auto pct = urls::make_pct_string_view(urls::string_view(text.data(), text.size()));
    if (!pct) return std::string(text);  // not our encoding: take it as it stands
    return pct->decode();
}

WebCookieManager::WebCookieManager(WebSession& session, std::string_view header) : session_(session) {
    while (!header.empty()) {
        const auto semicolon = header.find(';');
        const std::string_view pair = Trim(header.substr(0, semicolon));
        header = semicolon == std::string_view::npos ? std::string_view() : header.substr(semicolon + 1);
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view value = Trim(pair.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        // The first of two cookies with one name is the more specific one; keep it.
        values_.emplace(Decode(Trim(pair.substr(0, equals))), Decode(value));
    }
}

std::string WebCookieManager::Value(std::string_view name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? std::string() : found->second;
}

void WebCookieManager::Set(const std::string& name, const std::string& value, const Date& expiration,
                           const std::string& domain, const std::string& path, bool secure, bool httpOnly) {
    std::string pair = EncodeName(name) + "=" + EncodeValue(value);
    // Browsers drop a cookie past this size; one that reached them anyway would make every
    // later request of theirs too large. Such a cookie is not set at all.
    if (pair.size() > kMaxCookieBytes) return;
    values_[name] = value;
    std::string header = std::move(pair) + "; Expires=" + expiration.HttpDate();
    header += "; Path=" + (path.empty() ? std::string("/") : urls::encode(urls::string_view(path.data(), path.size()), kPathChars));
    if (!domain.empty() && IsDomain(domain)) header += "; Domain=" + domain;
    if (secure) header += "; Secure";
    if (httpOnly) header += "; HttpOnly";
    header += "; SameSite=Lax";
    {
        std::lock_guard lock(pendingMutex_);
        // Joins the batch whose address has not gone to the browser yet; once it has, the
        // browser may fetch it at any moment, so a later cookie starts a batch of its own.
        const auto open = pending_.find(openToken_);
        if (open != pending_.end() && openFlush_ == session_.Flushes()) {
            open->second.push_back(std::move(header));
            return;
        }
        openToken_ = session::RandomToken();
        openFlush_ = session_.Flushes();
        pending_[openToken_].push_back(std::move(header));
    }
    session_.QueueCommand({"cookie", {"/_cookie?s=" + session_.Identifier() + "&t=" + openToken_}});
}

std::vector<std::string> WebCookieManager::TakeHeaders(const std::string& token) {
    std::lock_guard lock(pendingMutex_);
    const auto found = pending_.find(token);
    if (found == pending_.end()) return {};
    std::vector<std::string> headers = std::move(found->second);
    pending_.erase(found);
    return headers;
}

}  // namespace platform
