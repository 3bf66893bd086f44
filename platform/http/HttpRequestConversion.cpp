#include <boost/url/parse.hpp>
#include <boost/url/url_view.hpp>

#include <cctype>
#include <cstdlib>

#include "platform/http/Connections.h"

namespace platform::http::detail {

HttpRequest ToHttpRequest(const BeastRequest& request) {
    HttpRequest result;
    result.method = std::string(request.method_string());
    for (const auto& field : request) {
        std::string name(field.name_string());
        for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto& value = result.headers[name];
        // Repeated fields are joined as the field's list form says; Cookie joins with "; ".
        if (!value.empty()) value += (name == "cookie") ? "; " : ", ";
        value += std::string(field.value());
    }
    const auto target = request.target();
    const auto parsed = boost::urls::parse_origin_form(boost::urls::string_view(target.data(), target.size()));
    if (parsed) {
        result.path = parsed->path();
        for (const auto& param : parsed->params()) result.query[param.key] = param.value;
    } else {
        result.path = "<invalid>";
    }
    result.body = request.body();
    return result;
}

}  // namespace platform::http::detail

namespace platform::http {

bool HttpRequest::AcceptsEncoding(std::string_view coding) const {
    namespace beast = boost::beast;
    // Accept-Encoding is a list of codings with parameters ("gzip;q=0.8, br"); a coding named
    // outright or by "*" is accepted unless its weight is zero.
    const auto header = Header("accept-encoding");
    const auto zeroWeight = [](const auto& params) {
        for (const auto& param : params)
            if (beast::iequals(param.first, "q")) return std::strtod(std::string(param.second).c_str(), nullptr) <= 0;
        return false;
    };
    bool byName = false, accepted = false, wildcard = false;
    for (const auto& element : beast::http::ext_list(header)) {
        if (beast::iequals(element.first, coding)) {
            byName = true;
            accepted = !zeroWeight(element.second);
        } else if (element.first == "*") {
            wildcard = !zeroWeight(element.second);
        }
    }
    return byName ? accepted : wildcard;
}

}  // namespace platform::http
