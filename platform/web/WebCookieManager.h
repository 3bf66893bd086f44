#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Date.h"

namespace platform {

class WebSession;

// The session's cookies: what the browser sent with the request that opened the
// session, plus what was set since. Set reaches the browser through a one-time address
// that the page fetches, so a cookie is set with a real Set-Cookie header (HttpOnly
// works) although events travel on the WebSocket. Names and values are percent-encoded
// outside the characters a cookie header allows, and decoded on reading, so no text can
// inject a second cookie or an attribute.
class WebCookieManager {
public:
    WebCookieManager(WebSession& session, std::string_view cookieHeader);

    // The cookie's value, or the empty text when there is none.
    std::string Value(std::string_view name) const;
    // A cookie whose encoded name and value pass kMaxCookieBytes is not set (browsers
    // would refuse it), and Value keeps what it had.
    void Set(const std::string& name, const std::string& value, const Date& expiration, const std::string& domain,
             const std::string& path, bool secure, bool httpOnly);
    static constexpr std::size_t kMaxCookieBytes = 4096;

    // The Set-Cookie headers waiting under token, removed as they are taken; empty for a
    // token unknown or taken already. Any thread. The cookies set between two sends to the
    // browser share one token, so the browser makes one request for all of them.
    std::vector<std::string> TakeHeaders(const std::string& token);

    static std::string EncodeName(std::string_view name);
    static std::string EncodeValue(std::string_view value);
    static std::string Decode(std::string_view text);

private:
    WebSession& session_;
    std::map<std::string, std::string, std::less<>> values_;  // decoded name -> decoded value
    std::mutex pendingMutex_;  // guards pending_; leaf lock, shared with the HTTP threads
    std::map<std::string, std::vector<std::string>> pending_;  // token -> Set-Cookie values
    // The token whose address is queued for the browser and not sent yet, and the send it waits for.
    std::string openToken_;
    std::uint64_t openFlush_ = 0;
};

}  // namespace platform
