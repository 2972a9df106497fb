// Time per saveOrUpdateByDto round trip through the Portal client against a bare libcurl POST of the same
// request bytes to the same stand-in on 127.0.0.1. Prints one line with both times and their ratio.

#include "bare_post.h"
#include "portal_records.h"

#include "platform/soap/http_transport.h"
#include "quelta/portal/endpoint.h"
#include "standins/portal/server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

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
    bench_portal::BarePost bare(server.url(), request);

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
