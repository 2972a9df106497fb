// Time per saveOrUpdateByDto round trip through the Portal client against a bare libcurl POST of the same
// request bytes to the same stand-in on 127.0.0.1. Prints one line with both times and their ratio.

#include "portal_records.h"

#include "platform/soap/http_transport.h"
#include "quelta/portal/endpoint.h"
#include "standins/portal/server.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

//! The same POST with nothing around it: one kept-alive handle, the same headers and bytes.
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

private:
    std::string body_;
    CURL* curl_ = nullptr;
    curl_slist* headers_ = nullptr;
};

double micros(Clock::duration d, int calls) {
    return std::chrono::duration<double, std::micro>(d).count() / calls;
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 2000;
    standins::portal::PortalServer server(standins::portal::ServerOptions{});
    server.start();

    platform::soap::HttpTransport transport;
    std::string request;
    auto portal = quelta::CreateRpcKvaEndpoint(
        [&](std::string_view body) {
            request.assign(body);
            return transport.post(server.url(), body,
                                  {{"Content-Type", "text/xml; charset=utf-8"}, {"SOAPAction", "\"\""}});
        },
        server.url());
    const platform::soap::Record employee = quelta::ToRecord(bench_portal::FullEmployee());
    portal->saveOrUpdateByDto(employee, "1001");
    BarePost bare(server.url(), request);

    // Alternate small blocks so both loops see the same machine state; the median of the paired block ratios
    // is robust against load from other processes, the ratio of the totals is printed beside it.
    constexpr int kBlock = 20;
    for (int i = 0; i < kBlock; ++i) {
        portal->saveOrUpdateByDto(employee, "1001");
        bare.Post();
    }
    Clock::duration clientTime{}, bareTime{};
    std::vector<double> ratios;
    for (int done = 0; done < calls; done += kBlock) {
        auto start = Clock::now();
        for (int i = 0; i < kBlock; ++i)
            portal->saveOrUpdateByDto(employee, "1001");
        const auto client = Clock::now() - start;
        start = Clock::now();
        for (int i = 0; i < kBlock; ++i)
            bare.Post();
        const auto raw = Clock::now() - start;
        clientTime += client;
        bareTime += raw;
        ratios.push_back(std::chrono::duration<double>(client) / std::chrono::duration<double>(raw));
    }
    const int measured = static_cast<int>(ratios.size()) * kBlock;
    portal.reset();
    server.stop();

    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    const double client = micros(clientTime, measured);
    const double raw = micros(bareTime, measured);
    std::printf(
        "saveOrUpdateByDto round trip (%zu request bytes, %d calls): client %.1f us, bare libcurl POST "
        "%.1f us, ratio %.3f, median block ratio %.3f (target < 1.25)\n",
        request.size(), measured, client, raw, client / raw, ratios[ratios.size() / 2]);
    return 0;
}
