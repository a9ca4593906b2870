// rtfdump: prints what the parser makes of an RTF file.
//   rtfdump FILE          the plain text as UTF-8, one line per paragraph
//   rtfdump --runs FILE   one line per run of equal font name and size:
//                         start, length, font name, size in points (tab-separated)
//   rtfdump --model FILE  every paragraph and every run of one character format, with every
//                         attribute the model holds, to compare two versions of the parser,
//                         and a line for each picture
//
// The output is converted and written a piece at a time, and the file's bytes are let go of as
// soon as the parser is done with them, so a book near the machine's memory is printed too.

#include "rtf/code_pages.h"
#include "rtf/parse_rtf.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using velmora::rtf::Model;

// Output is handed to stdio in pieces of about this size: large enough that each write is cheap,
// small enough to stay in cache and cost nothing next to the parsing.
constexpr std::size_t kOutputChunkBytes = 1 << 16;
// UTF-16 units converted at a time: at most three bytes each, so one slice stays near a chunk.
constexpr std::size_t kTextSliceUnits = kOutputChunkBytes / 3;

// Collects output and writes it to stdout whenever a chunk's worth is ready.
class ChunkedOutput {
public:
    ChunkedOutput() { m_buffer.reserve(kOutputChunkBytes * 2); }
    ChunkedOutput(const ChunkedOutput&) = delete;
    ChunkedOutput& operator=(const ChunkedOutput&) = delete;
    ~ChunkedOutput() { flush(); }

    std::string& buffer() { return m_buffer; }
    void flushIfFull()
    {
        if (m_buffer.size() >= kOutputChunkBytes)
            flush();
    }
    void flush()
    {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
        m_buffer.clear();
    }

private:
    std::string m_buffer;
};

bool isLineEnd(char16_t c)
{
    return c == Model::kParagraphEnd || c == Model::kLineBreak;
}

void printText(const Model& doc)
{
    ChunkedOutput out;
    std::u16string piece;
    const std::u16string_view text = doc.text;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.size(), at + kTextSliceUnits);
        if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] < 0xDC00)
            ++end; // a surrogate pair stays whole
        piece.assign(text.substr(at, end - at));
        std::replace_if(piece.begin(), piece.end(), isLineEnd, u'\n');
        // A picture is no text.
        piece.erase(std::remove(piece.begin(), piece.end(), Model::kObject), piece.end());
        velmora::rtf::appendUtf8(out.buffer(), piece);
        out.flushIfFull();
        at = end;
    }
    if (!text.empty() && !isLineEnd(text.back()))
        out.buffer() += '\n';
}

void appendNumber(std::string& out, int32_t value)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void appendRun(std::string& out, int32_t start, int32_t length, const std::string& name,
               uint16_t halfPoints)
{
    appendNumber(out, start);
    out += '\t';
    appendNumber(out, length);
    out += '\t';
    out += name;
    out += '\t';
    appendNumber(out, halfPoints / 2);
    if (halfPoints % 2)
        out += ".5";
    out += '\n';
}

void printRuns(const Model& doc)
{
    ChunkedOutput out;
    int32_t start = 0, length = 0;
    const std::string* name = nullptr;
    uint16_t halfPoints = 0;
    auto flush = [&] {
        if (length > 0) {
            appendRun(out.buffer(), start, length, *name, halfPoints);
            out.flushIfFull();
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
}

// One line per picture, after the runs: where its U+FFFC stands, its kind (Picture::Kind), its
// shown size in twips and its bytes.
void printPictures(const Model& model, ChunkedOutput& out)
{
    for (const velmora::rtf::Picture& picture : model.pictures) {
        std::string& line = out.buffer();
        line += 'I';
        for (const int32_t value : {picture.position, int32_t(picture.kind), picture.width,
                                    picture.height, static_cast<int32_t>(picture.data.size())}) {
            line += '\t';
            appendNumber(line, value);
        }
        line += '\n';
        out.flushIfFull();
    }
}

void printModel(const Model& doc)
{
    ChunkedOutput out;
    std::string& line = out.buffer();
    for (const auto& paragraph : doc.paragraphs) {
        const auto& p = doc.paragraphFormats[paragraph.format];
        line += 'P';
        for (const int32_t value :
             {paragraph.start, paragraph.length, int32_t(p.align), p.leftIndent, p.rightIndent,
              p.firstLineIndent, p.spaceBefore, p.spaceAfter, p.lineSpacing,
              int32_t(p.lineMultiple), int32_t(p.rightToLeft)}) {
            line += '\t';
            appendNumber(line, value);
        }
        line += '\n';
        out.flushIfFull();
    }
    // Neighbouring runs of one format are one run: how the parser cuts the text does not matter.
    for (std::size_t i = 0; i < doc.runs.size();) {
        const auto& f = doc.formatOf(doc.runs[i]);
        int32_t length = 0;
        std::size_t next = i;
        for (; next < doc.runs.size() && doc.formatOf(doc.runs[next]) == f; ++next)
            length += doc.runs[next].length;
        line += "R\t";
        appendNumber(line, doc.runs[i].start);
        line += '\t';
        appendNumber(line, length);
        line += '\t';
        line += doc.fontNames[f.font];
        for (const uint32_t value :
             {uint32_t(f.halfPoints), uint32_t(f.bold), uint32_t(f.italic), uint32_t(f.underline),
              uint32_t(f.strike), uint32_t(f.hidden), uint32_t(f.capitals),
              uint32_t(f.smallCapitals), uint32_t(f.vertical), f.color, f.background}) {
            line += '\t';
            appendNumber(line, int32_t(value));
        }
        if (f.raised != 0) { // last and only where there is one, so older dumps compare
            line += "\traised ";
            appendNumber(line, f.raised);
        }
        line += '\n';
        out.flushIfFull();
        i = next;
    }
    printPictures(doc, out);
}

} // namespace

int main(int argc, char** argv)
{
    bool runs = false;
    bool model = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = true;
        else if (std::strcmp(argv[i], "--model") == 0)
            model = true;
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: rtfdump [--runs | --model] FILE\n");
        return 2;
    }
#ifdef _WIN32
    // Text mode would write every line end as CR LF: the output is to be the same bytes as on
    // other systems.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ifstream file(path, std::ios::binary);
    // Streamed buffer to buffer: a character iterator would take a call for each byte.
    std::ostringstream contents;
    if (file)
        contents << file.rdbuf();
    std::string bytes = std::move(contents).str();
    if (!file) {
        std::fprintf(stderr, "rtfdump: %s: cannot be read\n", path);
        return 1;
    }
    const auto result = velmora::rtf::parseRtf(bytes);
    std::string().swap(bytes);
    if (!result.ok()) {
        std::fprintf(stderr, "rtfdump: %s: %s\n", path, result.message.c_str());
        return 1;
    }
    if (model)
        printModel(result.model);
    else if (runs)
        printRuns(result.model);
    else
        printText(result.model);
    return 0;
}
