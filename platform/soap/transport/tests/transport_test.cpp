#include "platform/soap/certificate_store.h"
#include "platform/soap/http_transport.h"

#include "test_pki.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace platform::soap {
namespace {

//! An httplib server on a free loopback port, stopped and joined when it goes.
class LocalServer {
public:
    explicit LocalServer(std::unique_ptr<httplib::Server> server = std::make_unique<httplib::Server>())
        : server_(std::move(server)) {}
    ~LocalServer() { stop(); }
    httplib::Server& server() { return *server_; }
    void start(const std::string& scheme = "http") {
        port_ = server_->bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("cannot bind");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        url_ = scheme + "://127.0.0.1:" + std::to_string(port_) + "/";
    }
    void stop() {
        if (!thread_.joinable()) return;
        server_->stop();
        thread_.join();
    }
    const std::string& url() const { return url_; }

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::string url_;
};

//! A bare TCP listener that hands each accepted connection to a behaviour, for misbehaving servers.
class RawServer {
public:
    explicit RawServer(std::function<void(int)> behaviour)
        : behaviour_(std::move(behaviour)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen");
        url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
        thread_ = std::thread([this] {
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0) return;
            behaviour_(connection);
            ::close(connection);
        });
    }
    ~RawServer() {
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    const std::string& url() const { return url_; }

private:
    std::function<void(int)> behaviour_;
    int listener_ = -1;
    std::thread thread_;
    std::string url_;
};

//! Reads the request head and its body (given by Content-Length) from a raw connection.
std::string readRequest(int connection) {
    std::string data;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) return data;
        data.append(buffer, static_cast<size_t>(got));
        const size_t end = data.find("\r\n\r\n");
        if (end == std::string::npos) continue;
        const size_t field = data.find("Content-Length: ");
        const size_t length = field == std::string::npos ? 0 : std::stoul(data.substr(field + 16));
        if (data.size() >= end + 4 + length) return data;
    }
}

void sendText(int connection, const std::string& text) {
    ::send(connection, text.data(), text.size(), MSG_NOSIGNAL);
}

TransportOptions quickOptions() {
    TransportOptions options;
    options.connectTimeout = std::chrono::seconds(5);
    options.noDataTimeout = std::chrono::seconds(1);
    options.callTimeout = std::chrono::seconds(3);
    return options;
}

const std::vector<HttpHeader> kSoapHeaders = {{"Content-Type", "text/xml; charset=utf-8"},
                                              {"SOAPAction", "\"\""}};

TEST(HttpTransport, ReturnsStatusBodyAndContentTypeOfAnyStatus) {
    LocalServer local;
    local.server().Post("/ok", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content("echo:" + request.body, "text/xml; charset=utf-8");
    });
    local.server().Post("/fault", [](const httplib::Request&, httplib::Response& response) {
        response.status = 500;
        response.set_content("<fault/>", "text/xml");
    });
    local.server().Post("/html", [](const httplib::Request&, httplib::Response& response) {
        response.status = 503;
        response.set_content("<html>down</html>", "text/html");
    });
    local.start();

    struct Case {
        const char* path;
        long status;
        const char* contentType;
        const char* body;
    };
    const Case cases[] = {
        {"ok", 200, "text/xml; charset=utf-8", "echo:<x>ž</x>"},
        {"fault", 500, "text/xml", "<fault/>"},
        {"html", 503, "text/html", "<html>down</html>"},
    };
    HttpTransport transport(quickOptions());
    for (const auto& c : cases) {
        const auto result = transport.post(local.url() + c.path, "<x>ž</x>", kSoapHeaders);
        ASSERT_TRUE(std::holds_alternative<HttpResponse>(result))
            << std::get<TransportFailure>(result).message();
        const auto& response = std::get<HttpResponse>(result);
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.contentType, c.contentType);
        EXPECT_EQ(response.body, c.body);
    }
}

TEST(HttpTransport, SendsHeadersAndLengthWithoutExpectAndReusesTheConnection) {
    LocalServer local;
    std::mutex mutex;
    std::set<int> ports;
    std::vector<httplib::Headers> seen;
    local.server().Post("/", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(mutex);
        ports.insert(request.remote_port);
        seen.push_back(request.headers);
        response.set_content(std::to_string(request.body.size()), "text/plain");
    });
    local.start();

    HttpTransport transport(quickOptions());
    const std::string big(300000, 'a'); // large enough that libcurl would otherwise ask to continue
    for (const std::string& body : {std::string("first"), big, std::string("third")}) {
        const auto result = transport.post(local.url(), body, kSoapHeaders);
        ASSERT_TRUE(std::holds_alternative<HttpResponse>(result))
            << std::get<TransportFailure>(result).message();
        EXPECT_EQ(std::get<HttpResponse>(result).body, std::to_string(body.size()));
    }
    EXPECT_EQ(ports.size(), 1u);
    for (const auto& headers : seen) {
        EXPECT_EQ(headers.count("Expect"), 0u);
        EXPECT_EQ(headers.find("SOAPAction")->second, "\"\"");
        EXPECT_EQ(headers.find("Content-Type")->second, "text/xml; charset=utf-8");
        EXPECT_EQ(headers.count("Content-Length"), 1u);
        EXPECT_EQ(headers.count("Transfer-Encoding"), 0u);
    }
}

TEST(HttpTransport, WorkOfAPostRunsWhileTheServerHoldsTheAnswer) {
    LocalServer local;
    std::mutex mutex;
    std::condition_variable changed;
    bool workRan = false;
    std::set<int> ports;
    local.server().Post("/", [&](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex);
        ports.insert(request.remote_port);
        if (request.body == "plain") return response.set_content("plain", "text/plain");
        // Answers only once the client's work has run, or says it waited in vain (within the no-data guard).
        const bool seen = changed.wait_for(lock, std::chrono::milliseconds(900), [&] { return workRan; });
        workRan = false;
        response.set_content((seen ? "after work, " : "no work, ") + std::to_string(request.body.size()),
                             "text/plain");
    });
    local.start();

    HttpTransport transport(quickOptions());
    int works = 0;
    const auto work = [&] {
        ++works;
        std::lock_guard lock(mutex);
        workRan = true;
        changed.notify_all();
    };
    const std::string big(300000, 'a'); // the work waits until all of it is out
    for (const std::string& body : {std::string("first"), big}) {
        const auto result = transport.post(local.url(), body, kSoapHeaders, work);
        ASSERT_TRUE(std::holds_alternative<HttpResponse>(result))
            << std::get<TransportFailure>(result).message();
        EXPECT_EQ(std::get<HttpResponse>(result).body, "after work, " + std::to_string(body.size()));
    }
    EXPECT_EQ(works, 2);
    // Posts with and without work share the kept-alive connection.
    const auto plain = transport.post(local.url(), "plain", kSoapHeaders, {});
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(plain));
    EXPECT_EQ(std::get<HttpResponse>(plain).body, "plain");
    EXPECT_EQ(ports.size(), 1u);

    // Work that throws abandons its request; the next request still gets its answer.
    EXPECT_THROW(
        transport.post(local.url(), "plain", kSoapHeaders, [] { throw std::runtime_error("database"); }),
        std::runtime_error);
    const auto next = transport.post(local.url(), "next", kSoapHeaders, work);
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(next));
    EXPECT_EQ(std::get<HttpResponse>(next).body, "after work, 4");
    EXPECT_EQ(works, 3);
}

TEST(HttpTransport, WorkOfAPostThatCannotGoOutNeverRuns) {
    int closedPort = 0;
    {
        RawServer probe([](int) {});
        closedPort = std::stoi(probe.url().substr(17));
        HttpTransport(quickOptions()).post(probe.url(), "", {});
    }
    HttpTransport transport(quickOptions());
    bool ran = false;
    const auto result = transport.post("http://127.0.0.1:" + std::to_string(closedPort) + "/", "<x/>",
                                       kSoapHeaders, [&] { ran = true; });
    ASSERT_TRUE(std::holds_alternative<TransportFailure>(result));
    EXPECT_EQ(std::get<TransportFailure>(result).error, TransportError::ConnectFailed);
    EXPECT_FALSE(ran);
}

TEST(HttpTransport, CapsTheResponseSize) {
    LocalServer local;
    local.server().Post("/sized", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(5000, 'x'), "text/xml");
    });
    local.server().Post("/chunked", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/xml", [](size_t, httplib::DataSink& sink) {
            const std::string piece(1000, 'x');
            for (int i = 0; i < 5; ++i)
                sink.write(piece.data(), piece.size());
            sink.done();
            return true;
        });
    });
    local.start();
    TransportOptions options = quickOptions();
    options.maxResponseBytes = 4096;
    HttpTransport transport(options);
    for (const char* path : {"sized", "chunked"}) {
        const auto result = transport.post(local.url() + path, "x", kSoapHeaders);
        ASSERT_TRUE(std::holds_alternative<TransportFailure>(result)) << path;
        EXPECT_EQ(std::get<TransportFailure>(result).error, TransportError::ResponseTooLarge) << path;
    }
    options.maxResponseBytes = 5000;
    HttpTransport roomy(options);
    EXPECT_TRUE(std::holds_alternative<HttpResponse>(roomy.post(local.url() + "sized", "x", kSoapHeaders)));
}

TEST(HttpTransport, MisbehavingServersEndInClassifiedFailures) {
    struct Case {
        const char* name;
        std::function<void(int)> behaviour;
        TransportError error;
    };
    const Case cases[] = {
        {"closes without answering", [](int c) { readRequest(c); }, TransportError::ConnectionDropped},
        {"resets",
         [](int c) {
             readRequest(c);
             linger hard{1, 0};
             ::setsockopt(c, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
         },
         TransportError::ConnectionDropped},
        {"truncates the body",
         [](int c) {
             readRequest(c);
             sendText(c, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100\r\n\r\n<soapenv:");
         },
         TransportError::ConnectionDropped},
        {"never answers",
         [](int c) {
             readRequest(c);
             char byte;
             ::recv(c, &byte, 1, 0); // until the client gives up and closes
         },
         TransportError::Timeout},
        {"drips the body a byte at a time",
         [](int c) {
             readRequest(c);
             sendText(c, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 1000\r\n\r\n");
             // Fast enough for the no-data guard; stops after 8 s (or when the client leaves) so that a
             // transport without an overall limit fails this case instead of hanging.
             for (int i = 0; i < 40; ++i) {
                 if (::send(c, "<", 1, MSG_NOSIGNAL) != 1) return;
                 std::this_thread::sleep_for(std::chrono::milliseconds(200));
             }
         },
         TransportError::Timeout},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawServer server(c.behaviour);
        HttpTransport transport(quickOptions());
        const auto result = transport.post(server.url(), "<x/>", kSoapHeaders);
        ASSERT_TRUE(std::holds_alternative<TransportFailure>(result));
        const auto& failure = std::get<TransportFailure>(result);
        EXPECT_EQ(failure.error, c.error) << failure.message();
        EXPECT_FALSE(failure.detail.empty());
    }
}

TEST(HttpTransport, UnusableAddressesFailBeforeAnyExchange) {
    int closedPort = 0;
    {
        RawServer probe([](int) {});
        closedPort = std::stoi(probe.url().substr(17));
        HttpTransport(quickOptions()).post(probe.url(), "", {});
    }
    struct Case {
        std::string url;
        TransportError error;
    };
    const Case cases[] = {
        {"", TransportError::BadUrl},
        {"nonsense://x/", TransportError::BadUrl},
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/", TransportError::ConnectFailed},
        {"http://no-such-host.invalid/", TransportError::ResolveFailed},
    };
    HttpTransport transport(quickOptions());
    for (const auto& c : cases) {
        const auto result = transport.post(c.url, "<x/>", kSoapHeaders);
        ASSERT_TRUE(std::holds_alternative<TransportFailure>(result)) << c.url;
        EXPECT_EQ(std::get<TransportFailure>(result).error, c.error)
            << std::get<TransportFailure>(result).message();
    }
}

TEST(HttpTransport, FailingHookStopsTheRequest) {
    LocalServer local;
    int requests = 0;
    local.server().Post("/", [&](const httplib::Request&, httplib::Response&) { ++requests; });
    local.start();
    int calls = 0;
    {
        HttpTransport transport(quickOptions());
        transport.setPreRequestHook([&]() -> std::optional<ClientCertificate> {
            if (++calls == 2) throw CertificateError("store gone");
            return std::nullopt;
        });
        EXPECT_TRUE(std::holds_alternative<HttpResponse>(transport.post(local.url(), "a", {})));
        EXPECT_THROW(transport.post(local.url(), "b", {}), CertificateError);
        EXPECT_TRUE(std::holds_alternative<HttpResponse>(transport.post(local.url(), "c", {})));
    }
    local.stop();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(requests, 2);
}

TEST(HttpTransport, HttpsWithAClientCertificateFromAStore) {
    testing::TempFolder folder;
    const auto pki = testing::makeTlsPki(folder.path(), "/O=Mzdy/CN=Mzdy, a.s.", "00C0FFEE");
    const CertificateStoreRoots roots{pki.machineStores, pki.userStores};

    auto server = std::make_unique<httplib::SSLServer>(pki.serverCertificate.c_str(), pki.serverKey.c_str(),
                                                       pki.clientCa.c_str());
    LocalServer local(std::move(server));
    local.server().Post("/", [](const httplib::Request& request, httplib::Response& response) {
        X509* peer = SSL_get1_peer_certificate(request.ssl);
        char name[256] = {};
        if (peer) X509_NAME_oneline(X509_get_subject_name(peer), name, sizeof name);
        X509_free(peer);
        response.set_content(name, "text/plain");
    });
    local.start("https");

    TransportOptions options = quickOptions();
    options.caFile = pki.serverCa.string();

    HttpTransport withCertificate(options);
    withCertificate.setPreRequestHook(certificateHook({2, 0, "Mzdy, a.s.", "00C0FFEE"}, roots));
    auto result = withCertificate.post(local.url(), "<x/>", kSoapHeaders);
    ASSERT_TRUE(std::holds_alternative<HttpResponse>(result)) << std::get<TransportFailure>(result).message();
    EXPECT_EQ(std::get<HttpResponse>(result).body, "/CN=client");

    HttpTransport lowerCase(options);
    lowerCase.setPreRequestHook(certificateHook({2, 0, "Mzdy, a.s.", "00c0ffee"}, roots));
    EXPECT_THROW(lowerCase.post(local.url(), "<x/>", kSoapHeaders), CertificateError);

    HttpTransport without(options);
    result = without.post(local.url(), "<x/>", kSoapHeaders);
    ASSERT_TRUE(std::holds_alternative<TransportFailure>(result));

    HttpTransport untrusting(quickOptions());
    untrusting.setPreRequestHook(certificateHook({2, 0, "Mzdy, a.s.", "00C0FFEE"}, roots));
    result = untrusting.post(local.url(), "<x/>", kSoapHeaders);
    ASSERT_TRUE(std::holds_alternative<TransportFailure>(result));
    EXPECT_EQ(std::get<TransportFailure>(result).error, TransportError::PeerUnverified);
}

} // namespace
} // namespace platform::soap
