#include "encoding/Cp932.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace tessel {
namespace {

// 1 MiB of mixed text, as the largest a window holds: ASCII program lines with
// Japanese comments and strings, half-width katakana, CR LF line ends.
const std::string& MebibyteText() {
    static const std::string text = [] {
        const std::string lines[] = {
            "100 PRINT \"\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81\x41\x90\xa2\x8a\x45\"\r\n",
            "110 ' \x8c\x76\x8e\x5a\x82\xf0\x82\xb7\x82\xe9\r\n",
            "120 FOR I=1 TO 10:A(I)=I*I:NEXT I\r\n",
            "130 PRINT \"\xba\xdd\xcb\xdf\xad\xb0\xc0\"\r\n",
            "140 IF A>B THEN 200 ELSE 300\r\n",
        };
        std::string s;
        for (std::size_t i = 0; s.size() < (1u << 20); ++i)
            s += lines[i % std::size(lines)];
        s.resize(1u << 20);
        return s;
    }();
    return text;
}

void BM_Cp932Decode(benchmark::State& state) {
    const std::string& bytes = MebibyteText();
    for (auto _ : state)
        benchmark::DoNotOptimize(cp932::Decode(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Cp932Decode)->Unit(benchmark::kMillisecond);

void BM_Cp932Encode(benchmark::State& state) {
    const std::u16string text = cp932::Decode(MebibyteText());
    std::string bytes;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cp932::Encode(text, bytes));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Cp932Encode)->Unit(benchmark::kMillisecond);

// The worst single conversion: a caret at the end of the text.
void BM_Cp932PositionAtEnd(benchmark::State& state) {
    const std::u16string text = cp932::Decode(MebibyteText());
    for (auto _ : state)
        benchmark::DoNotOptimize(cp932::Position(text, MebibyteText().size() - 1));
}
BENCHMARK(BM_Cp932PositionAtEnd)->Unit(benchmark::kMicrosecond);

void BM_Cp932OffsetIndexBuild(benchmark::State& state) {
    const std::u16string text = cp932::Decode(MebibyteText());
    for (auto _ : state)
        benchmark::DoNotOptimize(cp932::OffsetIndex(text).ByteLength());
}
BENCHMARK(BM_Cp932OffsetIndexBuild)->Unit(benchmark::kMicrosecond);

void BM_Cp932OffsetIndexLookup(benchmark::State& state) {
    const std::u16string text = cp932::Decode(MebibyteText());
    const cp932::OffsetIndex index(text);
    std::size_t offset = 0;
    for (auto _ : state) {
        offset = (offset + 7919) % index.ByteLength();
        benchmark::DoNotOptimize(index.ByteOffset(index.Position(offset)));
    }
}
BENCHMARK(BM_Cp932OffsetIndexLookup)->Unit(benchmark::kNanosecond);

} // namespace
} // namespace tessel
