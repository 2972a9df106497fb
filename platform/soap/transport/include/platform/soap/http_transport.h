#pragma once
//! HTTP(S) POST over one kept-alive libcurl handle; failures are returned as values.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform::soap {

//! The closed set of ways a request can fail below HTTP.
enum class TransportError {
    BadUrl,            //!< the URL is empty, malformed or names an unsupported scheme
    ResolveFailed,     //!< the host name could not be resolved
    ConnectFailed,     //!< no connection could be made
    TlsFailed,         //!< the TLS handshake failed (includes a refused client certificate)
    PeerUnverified,    //!< the server's certificate or name could not be verified
    ClientCertificate, //!< the client certificate or key could not be used
    Timeout,           //!< connecting, waiting for data or the whole request took longer than allowed
    ConnectionDropped, //!< the server closed or reset the connection before the response was complete
    ResponseTooLarge,  //!< the response body passed the configured size cap
    Other,             //!< any other failure; the curl text says more
};

//! A short English name of the error class, e.g. "connection dropped".
std::string_view to_string(TransportError error);

//! A transport failure: its class and libcurl's own text about it.
struct TransportFailure {
    TransportError error = TransportError::Other;
    std::string detail; //!< libcurl's message (error buffer or curl_easy_strerror)

    //! "<class>: <detail>" for messages shown to people.
    std::string message() const;
};

//! One request header, sent as "name: value".
struct HttpHeader {
    std::string name;
    std::string value;
};

//! An HTTP response of any status (a SOAP fault arrives with 500 and must be read).
struct HttpResponse {
    long status = 0;
    std::string contentType; //!< the Content-Type header, empty when absent
    std::string body;
};

//! Either the server's response or a transport failure.
using PostResult = std::variant<HttpResponse, TransportFailure>;

//! A client certificate and its private key, both PEM text held in memory.
struct ClientCertificate {
    std::string certificatePem;
    std::string privateKeyPem;
};

//! Runs before every request; returns the client certificate to attach, or none.
//! It may throw: the exception propagates out of post() and no request is sent.
using PreRequestHook = std::function<std::optional<ClientCertificate>()>;

//! Settings of a transport; the defaults are what Quelta uses.
struct TransportOptions {
    std::chrono::seconds connectTimeout{30};  //!< limit for establishing the connection
    std::chrono::seconds noDataTimeout{120};  //!< abort when no byte arrives for this long
    std::chrono::seconds callTimeout{600};    //!< limit for the whole request, connecting included (0: none)
    std::size_t maxResponseBytes = 64u << 20; //!< larger bodies fail with ResponseTooLarge
    bool verifyPeer = true;                   //!< verify the server certificate and host name
    std::string caFile;                       //!< extra CA bundle (PEM file); empty = system default
};

//! One libcurl easy handle reused for every post, so connections stay alive.
//! Not thread-safe: one transport per thread.
class HttpTransport {
public:
    explicit HttpTransport(TransportOptions options = {});
    ~HttpTransport();
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;
    HttpTransport(HttpTransport&&) noexcept;
    HttpTransport& operator=(HttpTransport&&) noexcept;

    //! Installs the hook run before every request (replaces any earlier one).
    void setPreRequestHook(PreRequestHook hook);

    //! POSTs body to url with the given headers (Expect is never sent; Content-Length always is).
    PostResult post(const std::string& url, std::string_view body, const std::vector<HttpHeader>& headers);

    //! The same POST, with `whileWaiting` (may be empty) run once the request has gone out and before the
    //! response is read: work that overlaps the server's. It runs at most once, and always before a response
    //! is returned; a failure before the request went out skips it. An exception from it abandons the
    //! request (its connection is closed) and propagates.
    PostResult post(const std::string& url, std::string_view body, const std::vector<HttpHeader>& headers,
                    const std::function<void()>& whileWaiting);

    const TransportOptions& options() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::soap
