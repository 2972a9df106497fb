// Records encoded and decoded per second by the Portal codec: a full employee and a 365-day calendar, written
// as a request and read back, and written as a response (inline and multiRef) and read back.

#include "portal_records.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quelta;

template <class T> void RequestRoundTrip(benchmark::State& state, const T& typed) {
    const soap::Codec codec = MakePortalCodec();
    const soap::TypeRef declared = PortalRegistry().resolve("BaseExtendedDto");
    const soap::TypeRef key = PortalRegistry().resolve("string");
    const soap::Record record = ToRecord(typed);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string xml = codec.encodeRequest(
            {"saveOrUpdateByDto", {{"dto", declared, record}, {"erpPk", key, typed.erpPk}}});
        soap::Call call = codec.decodeRequest(xml);
        benchmark::DoNotOptimize(call);
        bytes += xml.size();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

template <class T> void ResponseRoundTrip(benchmark::State& state, const T& typed, bool multiRef) {
    const soap::Codec codec = MakePortalCodec();
    const soap::TypeRef declared = PortalRegistry().resolve("BaseExtendedDto");
    const soap::Record record = ToRecord(typed);
    for (auto _ : state) {
        const std::string xml =
            codec.encodeResponse("getDtoByErpPk", soap::Param{"r", declared, record}, {multiRef});
        T back = FromRecord<T>(codec.decodeResponse(xml, declared).result->asRecord());
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

//! Only the client's share of a saveOrUpdateByDto call: writing the request.
template <class T> void EncodeRequest(benchmark::State& state, const T& typed) {
    const soap::Codec codec = MakePortalCodec();
    const soap::TypeRef declared = PortalRegistry().resolve("BaseExtendedDto");
    const soap::TypeRef key = PortalRegistry().resolve("string");
    const soap::Record record = ToRecord(typed);
    std::string xml;
    for (auto _ : state) {
        codec.encodeRequest({"saveOrUpdateByDto", {{"dto", declared, record}, {"erpPk", key, typed.erpPk}}},
                            xml);
        benchmark::DoNotOptimize(xml);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void EmployeeEncode(benchmark::State& s) {
    EncodeRequest(s, bench_portal::FullEmployee());
}
void CalendarEncode(benchmark::State& s) {
    EncodeRequest(s, bench_portal::Calendar365());
}
void EmployeeRequest(benchmark::State& s) {
    RequestRoundTrip(s, bench_portal::FullEmployee());
}
void CalendarRequest(benchmark::State& s) {
    RequestRoundTrip(s, bench_portal::Calendar365());
}
void EmployeeResponse(benchmark::State& s) {
    ResponseRoundTrip(s, bench_portal::FullEmployee(), false);
}
void CalendarResponse(benchmark::State& s) {
    ResponseRoundTrip(s, bench_portal::Calendar365(), false);
}
void CalendarResponseMultiRef(benchmark::State& s) {
    ResponseRoundTrip(s, bench_portal::Calendar365(), true);
}

BENCHMARK(EmployeeEncode);
BENCHMARK(CalendarEncode);
BENCHMARK(EmployeeRequest);
BENCHMARK(CalendarRequest);
BENCHMARK(EmployeeResponse);
BENCHMARK(CalendarResponse);
BENCHMARK(CalendarResponseMultiRef);

} // namespace

BENCHMARK_MAIN();
