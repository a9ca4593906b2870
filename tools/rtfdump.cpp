// rtfdump: prints what the reader makes of an RTF file.
//   rtfdump FILE          the plain text as UTF-8, one line per paragraph
//   rtfdump --runs FILE   one line per run of equal font name and size:
//                         start, length, font name, size in points (tab-separated)

#include "rtf/code_pages.h"
#include "rtf/reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

using velmora::rtf::Document;

bool readFile(const char* path, std::string& bytes, std::string& reason)
{
    struct stat info {};
    if (stat(path, &info) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = "is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        reason = "read error";
        return false;
    }
    bytes = std::move(content).str();
    return true;
}

void printText(const Document& doc)
{
    std::u16string text = doc.text;
    for (char16_t& c : text)
        if (c == Document::kParagraphEnd || c == Document::kLineBreak)
            c = u'\n';
    std::string out;
    velmora::rtf::appendUtf8(out, text);
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void printRuns(const Document& doc)
{
    std::string out;
    int32_t start = 0, length = 0;
    const std::string* name = nullptr;
    uint16_t halfPoints = 0;
    auto flush = [&] {
        if (length > 0) {
            out += std::to_string(start) + '\t' + std::to_string(length) + '\t' + *name + '\t' +
                   std::to_string(halfPoints / 2) + (halfPoints % 2 ? ".5" : "") + '\n';
        }
    };
    for (const auto& run : doc.runs) {
        const auto& format = doc.formatOf(run);
        const std::string& runName = doc.fontNameOf(run);
        if (name && runName == *name && format.halfPoints == halfPoints) {
            length += run.length;
            continue;
        }
        flush();
        start = run.start;
        length = run.length;
        name = &runName;
        halfPoints = format.halfPoints;
    }
    flush();
    std::fwrite(out.data(), 1, out.size(), stdout);
}

} // namespace

int main(int argc, char** argv)
{
    bool runs = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = true;
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: rtfdump [--runs] FILE\n");
        return 2;
    }
    std::string bytes, reason;
    if (!readFile(path, bytes, reason)) {
        std::fprintf(stderr, "rtfdump: %s: %s\n", path, reason.c_str());
        return 1;
    }
    const auto result = velmora::rtf::readRtf(bytes);
    if (!result.ok()) {
        std::fprintf(stderr, "rtfdump: %s: %s\n", path, result.message.c_str());
        return 1;
    }
    if (runs)
        printRuns(result.document);
    else
        printText(result.document);
    return 0;
}
