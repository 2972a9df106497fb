// The codec's share of a loopback saveOrUpdateByDto round trip: the client's encoding of a full employee and
// its decoding of the answer, against the whole call to the Portal stand-in on 127.0.0.1. Prints one line of
// ratios.

#include "portal_records.h"

#include "platform/soap/http_transport.h"
#include "quelta/portal/endpoint.h"
#include "standins/portal/server.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
using namespace quelta;

double MicrosPerCall(Clock::duration d, int calls) {
    return std::chrono::duration<double, std::micro>(d).count() / calls;
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 2000;
    standins::portal::PortalServer server(standins::portal::ServerOptions{});
    server.start();

    platform::soap::HttpTransport transport;
    const std::vector<platform::soap::HttpHeader> headers = {{"Content-Type", "text/xml; charset=utf-8"},
                                                             {"SOAPAction", "\"\""}};
    std::string lastResponse;
    auto portal = CreateRpcKvaEndpoint(
        [&](std::string_view body) {
            auto result = transport.post(server.url(), body, headers);
            if (auto* r = std::get_if<platform::soap::HttpResponse>(&result)) lastResponse = r->body;
            return result;
        },
        server.url());

    const soap::Record employee = ToRecord(bench_portal::FullEmployee());
    for (int i = 0; i < 50; ++i)
        portal->saveOrUpdateByDto(employee, "1001");

    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i)
        portal->saveOrUpdateByDto(employee, "1001");
    const auto roundTrip = Clock::now() - start;

    const soap::Codec codec = MakePortalCodec();
    const soap::TypeRef dto = PortalRegistry().resolve("BaseExtendedDto");
    const soap::TypeRef key = PortalRegistry().resolve("string");
    std::string body;
    const auto encodeStart = Clock::now();
    for (int i = 0; i < calls; ++i)
        codec.encodeRequest(
            {"saveOrUpdateByDto", {{"dto", dto, employee}, {"erpPk", key, std::string("1001")}}}, body);
    const auto decodeStart = Clock::now();
    for (int i = 0; i < calls; ++i)
        if (codec.decodeResponse(lastResponse).operation.empty()) return 1;
    const auto codecEnd = Clock::now();
    const auto codecTime = codecEnd - encodeStart;
    server.stop();

    const double rt = MicrosPerCall(roundTrip, calls);
    const double cc = MicrosPerCall(codecTime, calls);
    std::printf("saveOrUpdateByDto(full EmployeeDto, %zu request bytes) over loopback: %.1f us per call; "
                "client codec %.1f us per call (request %.1f, response %.1f) = %.1f%% of the round trip "
                "(target < 5%%)\n",
                body.size(), rt, cc, MicrosPerCall(decodeStart - encodeStart, calls),
                MicrosPerCall(codecEnd - decodeStart, calls), 100.0 * cc / rt);
    return 0;
}
