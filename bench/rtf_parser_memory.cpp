// Time and peak memory of the RTF parser, each case in a process of its own so that one case's
// high-water mark does not hide the next one's.
//   rtf_parser_memory FILE...    real files (the sample book, a big book)
//   rtf_parser_memory --hostile  generated hostile inputs: a million nested '{', a \bin that
//                                claims 4 GB, a 100 MB run of text, and the densest models
// "peak" is how far the process's maximum resident size grew while reading, beyond the input
// already in memory; "model" is the size of what the finished model holds.

#include "rtf/parse_rtf.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using velmora::rtf::Model;

constexpr std::size_t kHundredMegabytes = 100u << 20;

double maxResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in kilobytes
}

double modelMegabytes(const Model& model)
{
    std::size_t bytes = model.text.size() * sizeof(char16_t) +
                        model.runs.size() * sizeof(velmora::rtf::CharRun) +
                        model.paragraphs.size() * sizeof(velmora::rtf::Paragraph) +
                        model.charFormats.size() * sizeof(velmora::rtf::CharFormat) +
                        model.paragraphFormats.size() * sizeof(velmora::rtf::ParagraphFormat);
    for (const auto& name : model.fontNames)
        bytes += sizeof name + name.capacity();
    return static_cast<double>(bytes) / (1 << 20);
}

void measure(const std::string& name, const std::function<std::string()>& makeInput)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const std::string input = makeInput();
        const double before = maxResidentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        const auto result = velmora::rtf::parseRtf(input);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double peak = maxResidentMegabytes() - before;
        const double inputMb = static_cast<double>(input.size()) / (1 << 20);
        const double model = modelMegabytes(result.model);
        std::printf("%-34s %9.1f MB %8.3f s  peak +%7.1f MB (%4.2f x input)  model %7.1f MB"
                    "  status %d\n",
                    name.c_str(), inputMb, seconds, peak, peak / inputMb, model,
                    static_cast<int>(result.status));
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::printf("%-34s FAILED (status %d)\n", name.c_str(), status);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string filled(const char* head, const std::string& piece, std::size_t size, const char* tail)
{
    std::string out = head;
    out.reserve(size + 64);
    while (out.size() < size)
        out += piece;
    out += tail;
    return out;
}

void hostile()
{
    measure("a million nested {", [] { return "{\\rtf1 a" + std::string(1000000, '{') + "b"; });
    measure("a million nested { closed again", [] {
        return "{\\rtf1 a" + std::string(1000000, '{') + "b" + std::string(1000000, '}') + "c}";
    });
    measure("\\bin claiming 4 GB", [] {
        return std::string("{\\rtf1 a{\\pict\\bin4294967296 ") + std::string(1000, 'x') + "}}";
    });
    measure("a 100 MB run of text",
            [] { return filled("{\\rtf1 ", std::string(4096, 'a'), kHundredMegabytes, "}"); });
    measure("100 MB of \\par", [] { return filled("{\\rtf1 ", "\\par", kHundredMegabytes, "}"); });
    measure("100 MB of one-letter runs",
            [] { return filled("{\\rtf1 ", "{\\b a}{\\i b}", kHundredMegabytes, "}"); });
    measure("100 MB of \\u escapes",
            [] { return filled("{\\rtf1\\uc0 ", "\\u1075 ", kHundredMegabytes, "}"); });
    measure("100 MB of \\'xx escapes",
            [] { return filled("{\\rtf1 ", "\\'eb", kHundredMegabytes, "}"); });
    measure("100 MB of \\chftn", [] {
        return filled("{\\rtf1\\ftnstart1000000000 ", "\\chftn", kHundredMegabytes, "}");
    });
    measure("100 MB of colour table entries",
            [] { return filled("{\\rtf1{\\colortbl", ";", kHundredMegabytes, "}}"); });
    measure("100 MB of font table entries", [] {
        std::string out = "{\\rtf1{\\fonttbl";
        for (int i = 0; out.size() < kHundredMegabytes; ++i)
            out += "{\\f" + std::to_string(i) + " F;}";
        return out + "}}";
    });
    measure("100 MB of nested destinations",
            [] { return filled("{\\rtf1 ", "{\\*\\x{\\*\\y{\\*\\z", kHundredMegabytes, ""); });
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: rtf_parser_memory FILE... | --hostile\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hostile") {
            hostile();
            continue;
        }
        measure(arg, [arg] { return readFile(arg); });
    }
    return 0;
}
