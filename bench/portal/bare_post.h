#pragma once
//! A POST of fixed request bytes with nothing around it: one kept-alive libcurl handle, the headers the
//! Portal client sends. The yardstick the Portal and workflow benchmarks compare against.

#include <curl/curl.h>

#include <cstdlib>
#include <string>

namespace bench_portal {

inline size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

//! Posts request bodies through one kept-alive handle: the one given at construction, or others.
class BarePost {
public:
    BarePost(const std::string& url, const std::string& body)
        : body_(body) {
        curl_ = curl_easy_init();
        headers_ = curl_slist_append(headers_, "Content-Type: text/xml; charset=utf-8");
        headers_ = curl_slist_append(headers_, "SOAPAction: \"\"");
        headers_ = curl_slist_append(headers_, "Expect:");
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers_);
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body_.data());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &discard);
        curl_easy_setopt(curl_, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    }
    ~BarePost() {
        curl_slist_free_all(headers_);
        curl_easy_cleanup(curl_);
    }
    void Post() {
        if (curl_easy_perform(curl_) != CURLE_OK) std::abort();
    }
    //! Posts another body; it must live until the call returns.
    void Post(const std::string& body) {
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        Post();
    }

private:
    std::string body_;
    CURL* curl_ = nullptr;
    curl_slist* headers_ = nullptr;
};

} // namespace bench_portal
