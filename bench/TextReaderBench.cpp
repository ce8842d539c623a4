// The instrument text readers against a bare std::from_chars pass over the
// same bytes (every field of every line converted): the ratio of the two is
// what a reader adds for columns, checks and the schedule extraction. Files
// of 100,000 rows in each layout, generated and read in memory.

#include <benchmark/benchmark.h>
#include <time.h>

#include <charconv>
#include <functional>
#include <string>
#include <vector>

#include "core/import/text/Ares2dm.h"
#include "core/import/text/ImportLines.h"
#include "core/import/text/LundOhm.h"
#include "core/import/text/StgFile.h"
#include "core/import/text/SyscalText.h"

namespace {

using namespace vexora;

constexpr int kRows = 100000;

// The header, then `kRows` rows made by `row` (electrodes moved along).
std::string grownFile(const std::string& header, const std::function<std::string(int)>& row)
{
    std::string text = header;
    text.reserve(header.size() + static_cast<std::size_t>(kRows) * 160);
    for (int k = 0; k < kRows; ++k) text += row(k);
    return text;
}

// Converts every blank-, tab- or comma-separated field that starts a number.
double bareFromChars(const std::string& bytes)
{
    double sum = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == ',' || *p == '\r' || *p == '\n')) ++p;
        double value;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec == std::errc()) sum += value;
        p = next;
        while (p < end && !(*p == ' ' || *p == '\t' || *p == ',' || *p == '\r' || *p == '\n')) ++p;
    }
    return sum;
}

// CPU seconds of this thread: the comparison holds on a busy machine too.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

using Parse = std::function<ImportStatus(const std::vector<std::string_view>&, ImportSet&, MessageLog&)>;

void compare(benchmark::State& state, const std::string& bytes, const Parse& parse)
{
    double reader = 1e300, bare = 1e300;
    for (auto _ : state) {
        double start = threadSeconds();
        MessageLog log;
        ImportText text;
        text.bytes = bytes;
        ImportSet set;
        if (splitImportLines("bench", "bench", text, log) != ImportStatus::Ok || parse(text.lines, set, log) != ImportStatus::Ok)
            state.SkipWithError(("the reader refused the file: " + log.plainText()).c_str());
        benchmark::DoNotOptimize(set.values.data());
        reader = std::min(reader, threadSeconds() - start);
        start = threadSeconds();
        benchmark::DoNotOptimize(bareFromChars(bytes));
        bare = std::min(bare, threadSeconds() - start);
    }
    state.counters["reader_ms"] = reader * 1e3;
    state.counters["from_chars_ms"] = bare * 1e3;
    state.counters["ratio"] = reader / bare;
}

std::string n(double v)
{
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    return std::string(text, end);
}

void BM_SyscalText(benchmark::State& state)
{
    const std::string bytes = grownFile(
        "\tSpa.1\tSpa.2\tSpa.3\tSpa.4\tRho\tDev.\tM\tSp\tVp\tIn\tM1\tM2\tM3\r\n", [](int k) {
            const int a = k % 90;
            return "\t" + n(a) + "\t" + n(a + 1) + "\t" + n(a + 2 + k % 7) + "\t" + n(a + 3 + k % 7) + "\t51.2\t0.1\t3.25\t-12.5\t" +
                   n(-410.25 + k % 100) + "\t120.5\t4.1\t3.3\t2.8\r\n";
        });
    compare(state, bytes, [](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseSyscalText(lines, "bench.txt", set, log);
    });
}
BENCHMARK(BM_SyscalText)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_Stg(benchmark::State& state)
{
    const std::string bytes = grownFile("Export\r\nFirmware version: 1\r\nUnit: meter\r\n", [](int k) {
        const int a = k % 90;
        return std::to_string(k + 1) + ",USER   ,20240302,09:00:01, 1.25000E+00,   3,250, 4.71239E+01,LINE     , " + n(a) +
               ",0,0, " + n(a + 1) + ",0,0, " + n(a + 2 + k % 7) + ",0,0, " + n(a + 3 + k % 7) +
               ",0,0,Cmd=1,HV=400,Cyk=2,MTime=0.8,Gain=1,Ch=1\r\n";
    });
    compare(state, bytes, [](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseStg(lines, "bench.stg", {}, set, log);
    });
}
BENCHMARK(BM_Stg)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_Ohm(benchmark::State& state)
{
    const std::string bytes = grownFile("\r\n0 {}\r\ndate\r\n1 {}\r\n1 {}\r\nP 5\r\nP.ORG\r\n" + n(kRows) + " 1\r\n0\r\ndate\r\n",
                                        [](int k) {
                                            const int a = k % 90;
                                            return n(a) + " " + n(a + 1) + " " + n(a + 2 + k % 7) + " " + n(a + 3 + k % 7) +
                                                   " 1.25000E0 0.5 1 1\r\n";
                                        });
    compare(state, bytes, [](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseOhm(lines, "bench.ohm", {}, set, log);
    });
}
BENCHMARK(BM_Ohm)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_Ares2dm(benchmark::State& state)
{
    const std::string bytes = grownFile(
        "Electrode distance: 1 m\r\nMeasured data:\r\nC1[el]\tC2[el]\tP1[el]\tP2[el]\tPn\tPn+1\tArray\tUout[V]\tI[mA]\tU[mV]"
        "\tEP[mV]\tAppRes[Ohmm]\tSt-dev[%]\r\n",
        [](int k) {
            const int a = k % 90;
            return n(a + 1) + "\t" + n(a) + "\t" + n(a + 2 + k % 7) + "\t" + n(a + 3 + k % 7) +
                   "\tP1\tP2\tDD\t169.7\t471.407\t" + n(2045.713 - k % 100) + "\t435\t40.900\t0.0\r\n";
        });
    compare(state, bytes, [](const auto& lines, ImportSet& set, MessageLog& log) {
        return parseAres2dm(lines, "bench.2dm", 0, set, log);
    });
}
BENCHMARK(BM_Ares2dm)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
