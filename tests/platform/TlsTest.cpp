#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../TestSupport.h"
#include "platform/http/HttpServer.h"
#include "platform/web/Gateway.h"

namespace {

namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
namespace fs = std::filesystem;

// A fresh self-signed P-256 certificate and its key, as PEM files.
void MakeCertificate(const fs::path& certificate, const fs::path& key, const char* commonName) {
    EVP_PKEY* pkey = EVP_EC_gen("P-256");
    X509* x509 = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(x509), 1);
    X509_gmtime_adj(X509_getm_notBefore(x509), 0);
    X509_gmtime_adj(X509_getm_notAfter(x509), 24 * 3600);
    X509_set_pubkey(x509, pkey);
    X509_NAME* name = X509_get_subject_name(x509);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(x509, name);
    X509_sign(x509, pkey, EVP_sha256());
    FILE* out = std::fopen(certificate.c_str(), "w");
    PEM_write_X509(out, x509);
    std::fclose(out);
    out = std::fopen(key.c_str(), "w");
    PEM_write_PrivateKey(out, pkey, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(out);
    X509_free(x509);
    EVP_PKEY_free(pkey);
}

// The real server with a secure listener on free loopback ports.
struct SecureServer {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    platform::Gateway gateway{viewer.app};
    platform::http::HttpServer server{gateway};
    fs::path certificate = root.Path() / "certificate.pem", key = root.Path() / "key.pem";
    std::thread thread;

    SecureServer() {
        MakeCertificate(certificate, key, "first");
        server.Bind(0);
        server.BindSecure(0, certificate, key);
        server.Listen();
        thread = std::thread([this] { server.Run(1); });
    }
    ~SecureServer() {
        server.Stop();
        thread.join();
        // Sessions hold their channels, whose sockets belong to the server: they go first,
        // as they do in the daemon.
        viewer.app.StopServices();
    }
};

// What a client limited to the versions [lowest, highest] gets: the protocol, the suite and
// the certificate's common name; or the handshake's error.
struct Handshake {
    std::string error, protocol, cipher, commonName, answer;
};

Handshake Connect(std::uint16_t port, int lowest, int highest) {
    net::io_context io;
    ssl::context context(ssl::context::tls_client);
    SSL_CTX_set_security_level(context.native_handle(), 0);  // so that the client really offers old versions
    SSL_CTX_set_min_proto_version(context.native_handle(), lowest);
    SSL_CTX_set_max_proto_version(context.native_handle(), highest);
    ssl::stream<net::ip::tcp::socket> stream(io, context);
    stream.next_layer().connect({net::ip::make_address("127.0.0.1"), port});
    Handshake result;
    boost::system::error_code ec;
    stream.handshake(ssl::stream_base::client, ec);
    if (ec) {
        result.error = ec.message();
        return result;
    }
    result.protocol = SSL_get_version(stream.native_handle());
    result.cipher = SSL_get_cipher_name(stream.native_handle());
    X509* peer = SSL_get1_peer_certificate(stream.native_handle());
    char name[64] = {};
    X509_NAME_get_text_by_NID(X509_get_subject_name(peer), NID_commonName, name, sizeof name);
    result.commonName = name;
    X509_free(peer);
    const std::string request = "GET /_client/framework.css HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
    net::write(stream, net::buffer(request));
    std::string answer(12, '\0');
    net::read(stream, net::buffer(answer), ec);
    result.answer = answer;
    return result;
}

}  // namespace

TEST(Tls, TwelveAndThirteenAreServedWithForwardSecretAeadSuitesAndOlderVersionsRefused) {
    SecureServer live;
    const auto port = live.server.BoundSecurePort();
    ASSERT_NE(port, 0);
    for (const int version : {TLS1_2_VERSION, TLS1_3_VERSION}) {
        const Handshake got = Connect(port, version, version);
        ASSERT_EQ(got.error, "") << version;
        EXPECT_EQ(got.answer, "HTTP/1.1 200");
        EXPECT_EQ(got.commonName, "first");
        const bool aead = got.cipher.find("GCM") != std::string::npos || got.cipher.find("CHACHA20") != std::string::npos;
        EXPECT_TRUE(aead) << got.cipher;
        if (version == TLS1_2_VERSION) {
            EXPECT_EQ(got.cipher.rfind("ECDHE-", 0), 0u) << got.cipher;
        }
    }
    for (const int version : {TLS1_VERSION, TLS1_1_VERSION}) {
        // The server says no (an alert), rather than the client finding nothing to offer.
        EXPECT_NE(Connect(port, version, version).error.find("alert protocol version"), std::string::npos) << version;
    }
    EXPECT_EQ(Connect(port, TLS1_1_VERSION, TLS1_3_VERSION).protocol, "TLSv1.3") << "a client offering more gets the best";
}

TEST(Tls, ANewPairIsTakenOnReloadAndABadOneLeavesTheOldInUse) {
    SecureServer live;
    const auto port = live.server.BoundSecurePort();
    MakeCertificate(live.certificate, live.key, "second");
    live.server.ReloadCertificate();
    EXPECT_EQ(Connect(port, TLS1_2_VERSION, TLS1_3_VERSION).commonName, "second");

    std::ofstream(live.key) << "not a key";
    EXPECT_THROW(live.server.ReloadCertificate(), std::runtime_error);
    EXPECT_EQ(Connect(port, TLS1_2_VERSION, TLS1_3_VERSION).commonName, "second");
}

TEST(Tls, AnUnusablePairIsRefusedNamingTheFile) {
    brixtest::TempRoot root;
    const fs::path certificate = root.Path() / "certificate.pem", key = root.Path() / "key.pem";
    const fs::path other = root.Path() / "other.pem", otherKey = root.Path() / "other-key.pem";
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string named;
    };
    const Case cases[] = {
        {"no key", [&] { fs::remove(key); }, "key.pem"},
        {"no certificate", [&] { fs::remove(certificate); }, "certificate.pem"},
        {"certificate not PEM", [&] { std::ofstream(certificate) << "hello"; }, "certificate.pem"},
        {"key not PEM", [&] { std::ofstream(key) << "hello"; }, "key.pem"},
        {"key of another certificate", [&] { fs::copy_file(otherKey, key, fs::copy_options::overwrite_existing); },
         "does not belong"},
    };
    for (const auto& c : cases) {
        MakeCertificate(certificate, key, "device");
        MakeCertificate(other, otherKey, "other");
        c.make();
        brixtest::Viewer viewer;
        platform::Gateway gateway(viewer.app);
        platform::http::HttpServer server(gateway);
        try {
            server.BindSecure(0, certificate, key);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << c.name << ": " << e.what();
        }
        EXPECT_EQ(server.BoundSecurePort(), 0) << c.name;
    }
}
