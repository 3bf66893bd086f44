#pragma once
// Transport internals: included only by the files of platform/http.
#include <boost/asio/ssl/context.hpp>

#include <memory>
#include <string>

namespace platform::http::detail {

// A server context with the certificate chain and private key of two PEM files: TLS 1.2
// and 1.3 only, forward-secret AEAD suites only, no compression, no renegotiation.
// Throws std::runtime_error naming the file that is missing or unusable, or saying that
// the key does not belong to the certificate.
std::shared_ptr<boost::asio::ssl::context> MakeTlsContext(const std::string& certificateFile,
                                                          const std::string& keyFile);

}  // namespace platform::http::detail
