#include "platform/soap/http_transport.h"

#include <curl/curl.h>

#include <mutex>
#include <stdexcept>

namespace platform::soap {

namespace {

struct ErrorName {
    TransportError error;
    std::string_view name;
};

constexpr ErrorName kErrorNames[] = {
    {TransportError::BadUrl, "invalid URL"},
    {TransportError::ResolveFailed, "host name not resolved"},
    {TransportError::ConnectFailed, "connection failed"},
    {TransportError::TlsFailed, "TLS handshake failed"},
    {TransportError::PeerUnverified, "server certificate not trusted"},
    {TransportError::ClientCertificate, "client certificate unusable"},
    {TransportError::Timeout, "timed out"},
    {TransportError::ConnectionDropped, "connection dropped"},
    {TransportError::ResponseTooLarge, "response too large"},
    {TransportError::Other, "transport error"},
};

struct CurlClass {
    CURLcode code;
    TransportError error;
};

constexpr CurlClass kCurlClasses[] = {
    {CURLE_URL_MALFORMAT, TransportError::BadUrl},
    {CURLE_UNSUPPORTED_PROTOCOL, TransportError::BadUrl},
    {CURLE_COULDNT_RESOLVE_HOST, TransportError::ResolveFailed},
    {CURLE_COULDNT_RESOLVE_PROXY, TransportError::ResolveFailed},
    {CURLE_COULDNT_CONNECT, TransportError::ConnectFailed},
    {CURLE_OPERATION_TIMEDOUT, TransportError::Timeout},
    {CURLE_SSL_CONNECT_ERROR, TransportError::TlsFailed},
    {CURLE_SSL_CIPHER, TransportError::TlsFailed},
    {CURLE_PEER_FAILED_VERIFICATION, TransportError::PeerUnverified},
    {CURLE_SSL_CACERT_BADFILE, TransportError::PeerUnverified},
    {CURLE_SSL_ISSUER_ERROR, TransportError::PeerUnverified},
    {CURLE_SSL_CERTPROBLEM, TransportError::ClientCertificate},
    {CURLE_GOT_NOTHING, TransportError::ConnectionDropped},
    {CURLE_RECV_ERROR, TransportError::ConnectionDropped},
    {CURLE_SEND_ERROR, TransportError::ConnectionDropped},
    {CURLE_PARTIAL_FILE, TransportError::ConnectionDropped},
    {CURLE_FILESIZE_EXCEEDED, TransportError::ResponseTooLarge},
};

TransportError classify(CURLcode code) {
    for (const auto& entry : kCurlClasses)
        if (entry.code == code) return entry.error;
    return TransportError::Other;
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("libcurl could not be initialised");
    });
}

struct HeaderList {
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
    void add(const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (!grown) throw std::bad_alloc();
        list = grown;
    }
};

} // namespace

std::string_view to_string(TransportError error) {
    for (const auto& entry : kErrorNames)
        if (entry.error == error) return entry.name;
    return "transport error";
}

std::string TransportFailure::message() const {
    std::string text(to_string(error));
    if (!detail.empty()) text += ": " + detail;
    return text;
}

struct HttpTransport::Impl {
    TransportOptions options;
    PreRequestHook hook;
    CURL* curl = nullptr;
    //! Drives every request, so the kept-alive connection lives in its cache whether a request overlaps work
    //! or not (an easy perform would keep connections in a cache of its own).
    CURLM* multi = nullptr;
    std::string body;
    bool capExceeded = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    explicit Impl(TransportOptions opts)
        : options(std::move(opts)) {
        initCurlOnce();
        curl = curl_easy_init();
        multi = curl_multi_init();
        if (!curl || !multi) {
            curl_multi_cleanup(multi);
            curl_easy_cleanup(curl);
            throw std::runtime_error("libcurl could not create a request handle");
        }
    }
    ~Impl() {
        curl_multi_cleanup(multi);
        curl_easy_cleanup(curl);
    }

    //! Runs the request on the multi handle; `whileWaiting` runs once the request is sent, or after a
    //! response that came before that was noticed. The handle leaves the multi handle however this ends.
    CURLcode perform(std::size_t bodySize, const std::function<void()>& whileWaiting) {
        if (curl_multi_add_handle(multi, curl) != CURLM_OK) return CURLE_FAILED_INIT;
        struct Attached {
            CURLM* multi;
            CURL* curl;
            ~Attached() { curl_multi_remove_handle(multi, curl); }
        } attached{multi, curl};
        bool waited = !whileWaiting;
        for (int running = 1;;) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) return CURLE_FAILED_INIT;
            if (!running) break;
            if (!waited && requestSent(bodySize)) {
                waited = true;
                whileWaiting();
                continue;
            }
            if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) return CURLE_FAILED_INIT;
        }
        CURLcode code = CURLE_FAILED_INIT;
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi, &queued))
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl) code = message->data.result;
        if (code == CURLE_OK && !waited) whileWaiting();
        return code;
    }

    //! Whether the whole body has gone out (the headers go before it).
    bool requestSent(std::size_t bodySize) const {
        curl_off_t sent = 0;
        return curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &sent) == CURLE_OK &&
               sent >= static_cast<curl_off_t>(bodySize);
    }

    static size_t onData(char* data, size_t size, size_t count, void* self) {
        auto* impl = static_cast<Impl*>(self);
        const size_t bytes = size * count;
        if (impl->body.size() + bytes > impl->options.maxResponseBytes) {
            impl->capExceeded = true;
            return 0;
        }
        impl->body.append(data, bytes);
        return bytes;
    }

    void setCommon() {
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Impl::onData);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options.connectTimeout.count()));
        if (options.noDataTimeout.count() > 0) {
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options.noDataTimeout.count()));
        }
        // A server that sends a byte now and then passes the no-data guard; the whole request has a limit
        // too.
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(options.callTimeout.count()));
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxResponseBytes));
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, options.verifyPeer ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, options.verifyPeer ? 2L : 0L);
        if (!options.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
        curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    }

    void setCertificate(const std::optional<ClientCertificate>& certificate) {
        if (!certificate) {
            curl_easy_setopt(curl, CURLOPT_SSLCERT_BLOB, nullptr);
            curl_easy_setopt(curl, CURLOPT_SSLKEY_BLOB, nullptr);
            return;
        }
        // libcurl copies blobs by default (CURL_BLOB_COPY).
        curl_blob cert{const_cast<char*>(certificate->certificatePem.data()),
                       certificate->certificatePem.size(), CURL_BLOB_COPY};
        curl_blob key{const_cast<char*>(certificate->privateKeyPem.data()), certificate->privateKeyPem.size(),
                      CURL_BLOB_COPY};
        curl_easy_setopt(curl, CURLOPT_SSLCERTTYPE, "PEM");
        curl_easy_setopt(curl, CURLOPT_SSLCERT_BLOB, &cert);
        curl_easy_setopt(curl, CURLOPT_SSLKEYTYPE, "PEM");
        curl_easy_setopt(curl, CURLOPT_SSLKEY_BLOB, &key);
    }
};

HttpTransport::HttpTransport(TransportOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
    impl_->setCommon();
}

HttpTransport::~HttpTransport() = default;
HttpTransport::HttpTransport(HttpTransport&&) noexcept = default;
HttpTransport& HttpTransport::operator=(HttpTransport&&) noexcept = default;

void HttpTransport::setPreRequestHook(PreRequestHook hook) {
    impl_->hook = std::move(hook);
}

const TransportOptions& HttpTransport::options() const {
    return impl_->options;
}

PostResult HttpTransport::post(const std::string& url, std::string_view body,
                               const std::vector<HttpHeader>& headers) {
    return post(url, body, headers, {});
}

PostResult HttpTransport::post(const std::string& url, std::string_view body,
                               const std::vector<HttpHeader>& headers,
                               const std::function<void()>& whileWaiting) {
    Impl& impl = *impl_;
    impl.setCertificate(impl.hook ? impl.hook() : std::nullopt);

    HeaderList list;
    for (const auto& header : headers)
        list.add(header.name + ": " + header.value);
    list.add("Expect:");

    CURL* curl = impl.curl;
    // The handle may have been moved between threads or re-targeted; the callback owner is fixed here.
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &impl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, impl.errorBuffer);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list.list);
    // The header list and the body are this call's, even when the work overlapping it throws.
    struct Detach {
        CURL* curl;
        ~Detach() {
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, nullptr);
        }
    };

    impl.body.clear();
    impl.capExceeded = false;
    impl.errorBuffer[0] = '\0';
    CURLcode code = CURLE_OK;
    {
        const Detach detach{curl};
        code = impl.perform(body.size(), whileWaiting);
    }

    if (code != CURLE_OK) {
        TransportFailure failure;
        failure.error = impl.capExceeded ? TransportError::ResponseTooLarge : classify(code);
        failure.detail = impl.errorBuffer[0] ? impl.errorBuffer : curl_easy_strerror(code);
        impl.body.clear();
        return failure;
    }
    HttpResponse response;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    const char* contentType = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
    if (contentType) response.contentType = contentType;
    response.body = std::move(impl.body);
    impl.body = {};
    return response;
}

} // namespace platform::soap
