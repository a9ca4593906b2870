// rtfdump: prints what the parser makes of an RTF file.
//   rtfdump FILE          the plain text as UTF-8, one line per paragraph
//   rtfdump --runs FILE   one line per run of equal font name and size:
//                         start, length, font name, size in points (tab-separated)
//   rtfdump --model FILE  every paragraph and every run of one character format, with every
//                         attribute the model holds, to compare two versions of the parser,
//                         a line for each picture, and for each table row (T) and its cells (C)
//
// The output is converted and written a piece at a time, so the text is never held twice, and
// the file's bytes are let go of as soon as the parser is done with them.

#include "binary_output.h"
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

void printText(const Model& model)
{
    ChunkedOutput out;
    std::u16string piece;
    const std::u16string_view text = model.text;
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

// Each value after a tab.
void appendFields(std::string& out, std::initializer_list<int32_t> values)
{
    for (const int32_t value : values) {
        out += '\t';
        appendNumber(out, value);
    }
}

// One line per picture, after the runs: where its U+FFFC stands, its kind (Picture::Kind), its
// shown size in twips and its bytes.
void printPictures(const Model& model, ChunkedOutput& out)
{
    for (const velmora::rtf::Picture& picture : model.pictures) {
        out.buffer() += 'I';
        appendFields(out.buffer(), {picture.position, int32_t(picture.kind), picture.width,
                                    picture.height, static_cast<int32_t>(picture.data.size())});
        out.buffer() += '\n';
        out.flushIfFull();
    }
}

// Neighbouring runs that same() finds alike are one stretch: how the parser cuts the text does
// not matter. print(start, length, format) is called once a stretch.
template <typename Same, typename Print>
void forEachStretch(const Model& model, Same same, Print print)
{
    const auto& runs = model.runs;
    for (std::size_t i = 0, next = 0; i < runs.size(); i = next) {
        const auto& f = model.formatOf(runs[i]);
        int32_t length = 0;
        for (; next < runs.size() && same(f, model.formatOf(runs[next])); ++next)
            length += runs[next].length;
        print(runs[i].start, length, f);
    }
}

void printRuns(const Model& model)
{
    ChunkedOutput out;
    std::string& line = out.buffer();
    const auto sameFontAndSize = [&](const auto& a, const auto& b) {
        return a.halfPoints == b.halfPoints && model.fontNames[a.font] == model.fontNames[b.font];
    };
    forEachStretch(model, sameFontAndSize, [&](int32_t start, int32_t length, const auto& f) {
        appendNumber(line, start);
        appendFields(line, {length});
        line += '\t';
        line += model.fontNames[f.font];
        appendFields(line, {f.halfPoints / 2});
        line += f.halfPoints % 2 ? ".5\n" : "\n";
        out.flushIfFull();
    });
}

// T: start, end, level, table, left, height, align, right to left, cells.
// C: start, end, left, right, padding (top, left, bottom, right), shading, merged across and
// down, vertical alignment, paragraph format; then each border (top, left, bottom, right) as
// kind:width:colour.
void printTables(const Model& model, ChunkedOutput& out)
{
    std::string& line = out.buffer();
    for (const velmora::rtf::TableRow& row : model.tableRows) {
        line += 'T';
        appendFields(line, {row.start, row.end, row.level, int32_t(row.table), row.left, row.height,
                            int32_t(row.align), int32_t(row.rightToLeft), int32_t(row.cellCount)});
        line += '\n';
        for (uint32_t i = 0; i < row.cellCount; ++i) {
            const velmora::rtf::TableCell& cell = model.tableCells[row.firstCell + i];
            line += 'C';
            appendFields(line, {cell.start, cell.end, cell.left, cell.right, cell.padding[0],
                                cell.padding[1], cell.padding[2], cell.padding[3],
                                int32_t(cell.shading), int32_t(cell.across), int32_t(cell.down),
                                int32_t(cell.verticalAlign), int32_t(cell.paragraphFormat)});
            for (const velmora::rtf::CellBorder& border : cell.borders) {
                line += '\t';
                appendNumber(line, int32_t(border.kind));
                line += ':';
                appendNumber(line, border.width);
                line += ':';
                appendNumber(line, int32_t(border.color));
            }
            line += '\n';
        }
        out.flushIfFull();
    }
}

void printModel(const Model& model)
{
    ChunkedOutput out;
    std::string& line = out.buffer();
    for (const auto& paragraph : model.paragraphs) {
        const auto& p = model.paragraphFormats[paragraph.format];
        line += 'P';
        appendFields(line, {paragraph.start, paragraph.length, int32_t(p.align), p.leftIndent,
                            p.rightIndent, p.firstLineIndent, p.spaceBefore, p.spaceAfter,
                            p.lineSpacing, int32_t(p.lineMultiple), int32_t(p.rightToLeft)});
        line += '\n';
        out.flushIfFull();
    }
    const auto same = [](const auto& a, const auto& b) { return a == b; };
    forEachStretch(model, same, [&](int32_t start, int32_t length, const auto& f) {
        line += 'R';
        appendFields(line, {start, length});
        line += '\t';
        line += model.fontNames[f.font];
        appendFields(line, {f.halfPoints, f.bold, f.italic, f.underline, f.strike, f.hidden,
                            f.capitals, f.smallCapitals, int32_t(f.vertical), int32_t(f.color),
                            int32_t(f.background)});
        if (f.raised != 0) { // last and only where there is one, so older dumps compare
            line += "\traised ";
            appendNumber(line, f.raised);
        }
        line += '\n';
        out.flushIfFull();
    });
    printPictures(model, out);
    printTables(model, out);
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
    velmora::setBinaryOutput();
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
