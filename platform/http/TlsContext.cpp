#include "platform/http/TlsContext.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <stdexcept>

namespace platform::http::detail {
namespace {

namespace ssl = boost::asio::ssl;

// TLS 1.2: ECDHE key exchange with AEAD ciphers only. TLS 1.3 suites are all of that kind.
constexpr const char* kTls12Ciphers =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:ECDHE-ECDSA-AES256-GCM-SHA384:"
    "ECDHE-RSA-AES256-GCM-SHA384:ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";
constexpr const char* kTls13Suites = "TLS_AES_128_GCM_SHA256:TLS_AES_256_GCM_SHA384:TLS_CHACHA20_POLY1305_SHA256";

void Readable(const std::string& file) {
    if (::access(file.c_str(), R_OK) != 0) throw std::runtime_error(file + ": missing or not readable");
}

}  // namespace

std::shared_ptr<ssl::context> MakeTlsContext(const std::string& certificateFile, const std::string& keyFile) {
    Readable(certificateFile);
    Readable(keyFile);
    auto context = std::make_shared<ssl::context>(ssl::context::tls_server);
    SSL_CTX* native = context->native_handle();
    SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    SSL_CTX_set_options(native, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_set_cipher_list(native, kTls12Ciphers) != 1 || SSL_CTX_set_ciphersuites(native, kTls13Suites) != 1)
        throw std::runtime_error("the TLS library offers none of the cipher suites wanted");

    // A key with a passphrase is refused, never asked for on a terminal the daemon may not have.
    context->set_password_callback([](std::size_t, ssl::context::password_purpose) { return std::string(); });
    boost::system::error_code ec;
    context->use_certificate_chain_file(certificateFile, ec);
    if (ec) throw std::runtime_error(certificateFile + ": not a usable PEM certificate (" + ec.message() + ")");
    context->use_private_key_file(keyFile, ssl::context::pem, ec);
    const bool mismatch = ec && ERR_GET_REASON(static_cast<unsigned long>(ec.value())) == X509_R_KEY_VALUES_MISMATCH;
    if (mismatch || (!ec && SSL_CTX_check_private_key(native) != 1))
        throw std::runtime_error(keyFile + ": the key does not belong to the certificate in " + certificateFile);
    if (ec) throw std::runtime_error(keyFile + ": not a usable unencrypted PEM private key (" + ec.message() + ")");
    return context;
}

}  // namespace platform::http::detail
