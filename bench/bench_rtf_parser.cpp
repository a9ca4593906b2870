// The RTF parser, file bytes in memory to finished model: on the sample book, and on one
// synthetic sample per construct, so a slowdown points at the construct that caused it.
//   bench_rtf_parser [--benchmark_filter=...]     (each figure is the median of 10 repetitions)

#include "rtf/parse_rtf.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// About a megabyte, the size of the sample book, so every sample is timed at the same scale.
constexpr std::size_t kSampleBytes = 1 << 20;
constexpr int kRepetitions = 10;

std::string readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char* const kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
    "{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}\n"
    "\\pard\\plain\\s0\\fi284\\sa120\\qj\\f0\\fs24 ";

// Repeats a paragraph until the sample is about kSampleBytes long, with the line breaks that
// writers put every few dozen bytes.
std::string sample(const std::string& paragraph)
{
    std::string out = kHeader;
    while (out.size() < kSampleBytes) {
        out += paragraph;
        out += "\\par\n";
    }
    out += '}';
    return out;
}

std::string plainText()
{
    return sample("Ky tekst nuk ka asnje shkronje te vecante dhe asnje ndryshim te shkronjave, "
                  "vetem fjali te gjata qe mbushin rreshtat nje pas nje deri ne fund te faqes.");
}

std::string hexEscapes()
{
    return sample("P\\'ebr m\\'ebshir\\'ebn \\'e7do dit\\'eb, t\\'eb gjith\\'eb \\'ebsht\\'eb "
                  "\\'abt\\'eb mir\\'eb\\'bb \\'96 \\'c7ka th\\'eb \\'cbsht\\'eb n\\'eb "
                  "sht\\'ebpi t\\'eb tij\\'eb.");
}

std::string unicodeEscapes()
{
    return sample("\\u1055?\\u1088?\\u1080?\\u1074?\\u1077?\\u1090? \\u1084?\\u1080?\\u1088? "
                  "\\u1082?\\u1085?\\u1080?\\u1075?\\u1072? \\u8212? \\u1089?\\u1083?\\u1086?"
                  "\\u1074?\\u1086? \\u1076?\\u1077?\\u1085?\\u1100?.");
}

std::string controlWords()
{
    return sample("{\\b 12}\\b0  \\i fjal\\'eb\\i0  {\\f1\\fs28\\cf1 Arial}\\plain\\f0\\fs24 "
                  "\\ul n\\'ebnvij\\'eb\\ulnone \\lang1052\\langfe1052\\rtlch\\ltrch\\loch\\hich "
                  "{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}\\tab\\line{\\*\\bkmkstart x}"
                  "{\\*\\bkmkend x}\\ldblquote a\\rdblquote\\emdash b.");
}

// LibreOffice's habit: every run of a few words in a group of its own, opened with the whole set
// of script and font words, most of which change nothing.
std::string libreOfficeRuns()
{
    const char* const run = "{\\rtlch\\fcs1\\af0\\afs24\\ltrch\\fcs0\\lang1052\\langfe1052"
                            "\\loch\\f0\\hich\\af0\\dbch\\af0 ";
    std::string paragraph;
    for (const char* words : {"Tregohet se nj\\'eb", " dit\\'eb i D\\'ebrguari", " u ul me",
                              " shok\\'ebt e tij", " dhe u foli."})
        paragraph += std::string(run) + words + "}";
    return sample(paragraph);
}

void readsBytes(benchmark::State& state, const std::string& bytes)
{
    if (bytes.empty()) {
        state.SkipWithError("sample missing");
        return;
    }
    for (auto _ : state) {
        auto result = velmora::rtf::parseRtf(bytes);
        benchmark::DoNotOptimize(result.model.text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
}

void sampleBook(benchmark::State& state)
{
    static const std::string book = readFile(VELMORA_SAMPLE_BOOK);
    readsBytes(state, book);
}

void plainTextSample(benchmark::State& state)
{
    static const std::string bytes = plainText();
    readsBytes(state, bytes);
}

void hexEscapeSample(benchmark::State& state)
{
    static const std::string bytes = hexEscapes();
    readsBytes(state, bytes);
}

void unicodeEscapeSample(benchmark::State& state)
{
    static const std::string bytes = unicodeEscapes();
    readsBytes(state, bytes);
}

void controlWordSample(benchmark::State& state)
{
    static const std::string bytes = controlWords();
    readsBytes(state, bytes);
}

void libreOfficeRunSample(benchmark::State& state)
{
    static const std::string bytes = libreOfficeRuns();
    readsBytes(state, bytes);
}

#define VELMORA_PARSER_BENCHMARK(function)                                                         \
    BENCHMARK(function)                                                                            \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Repetitions(kRepetitions)                                                                \
        ->ReportAggregatesOnly(true)

VELMORA_PARSER_BENCHMARK(sampleBook);
VELMORA_PARSER_BENCHMARK(plainTextSample);
VELMORA_PARSER_BENCHMARK(hexEscapeSample);
VELMORA_PARSER_BENCHMARK(unicodeEscapeSample);
VELMORA_PARSER_BENCHMARK(controlWordSample);
VELMORA_PARSER_BENCHMARK(libreOfficeRunSample);

} // namespace

BENCHMARK_MAIN();
