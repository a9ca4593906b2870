// rtfdump: prints what the reader makes of an RTF file.
//   rtfdump FILE          the plain text as UTF-8, one line per paragraph
//   rtfdump --runs FILE   one line per run of equal font name and size:
//                         start, length, font name, size in points (tab-separated)
//
// Books near the machine's memory are read too, so the output is converted and written a piece at
// a time, and the file's bytes are let go of as soon as the reader is done with them.

#include "rtf/code_pages.h"
#include "rtf/reader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using velmora::rtf::Document;

// Output is handed to stdio in pieces of about this size: large enough that each write is cheap,
// small enough to stay in cache and cost nothing next to the document.
constexpr std::size_t kOutputChunkBytes = 1 << 16;
// UTF-16 units converted at a time: at most three bytes each, so one slice stays near a chunk.
constexpr std::size_t kTextSliceUnits = kOutputChunkBytes / 3;

// Another program may shorten the file while it is being read: the mapped pages past the new end
// then raise SIGBUS, as does a page the disk cannot give back. The text read so far is not the
// file's, so rather than dying of the signal rtfdump says what happened and fails.
char g_unreadableMessage[1024];
std::size_t g_unreadableMessageLength = 0;

extern "C" void stopOnUnreadablePage(int)
{
    // Only async-signal-safe calls here: the message was formatted before the signal came.
    [[maybe_unused]] const auto written =
        write(STDERR_FILENO, g_unreadableMessage, g_unreadableMessageLength);
    _exit(1);
}

void failCleanlyIfMappingBreaks(const char* path)
{
    const int length =
        std::snprintf(g_unreadableMessage, sizeof g_unreadableMessage,
                      "rtfdump: %s: the file changed or failed while being read\n", path);
    if (length < 0)
        return;
    g_unreadableMessageLength =
        std::min(static_cast<std::size_t>(length), sizeof g_unreadableMessage - 1);
    g_unreadableMessage[g_unreadableMessageLength - 1] = '\n'; // when a long path was cut short
    struct sigaction action {};
    action.sa_handler = stopOnUnreadablePage;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

// The bytes of the file, mapped where the file allows it: a mapping needs no copy, and the pages
// behind the reader can go back to the system while the document grows (should anything look
// there again, a private mapping of an unchanged file reads the same bytes back from the file).
// Pipes and other unmappable files are read into memory.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes() { release(); }

    bool open(const char* path, std::string& reason);
    std::string_view view() const
    {
        return m_map ? std::string_view(static_cast<const char*>(m_map), m_size) : m_copy;
    }
    void releaseBefore(std::size_t offset);
    void release();

private:
    bool readAll(const char* path, std::string& reason);

    void* m_map = nullptr;
    std::size_t m_size = 0;
    std::size_t m_released = 0; // bytes from the start whose pages were given back
    std::string m_copy;
};

bool FileBytes::open(const char* path, std::string& reason)
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
    if (!S_ISREG(info.st_mode) || info.st_size == 0)
        return readAll(path, reason);
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
    std::fclose(file);
    if (map == MAP_FAILED)
        return readAll(path, reason);
    failCleanlyIfMappingBreaks(path);
    m_map = map;
    m_size = size;
    return true;
}

bool FileBytes::readAll(const char* path, std::string& reason)
{
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
    m_copy = std::move(content).str();
    return true;
}

void FileBytes::releaseBefore(std::size_t offset)
{
    static const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = std::min(offset, m_size) / pageSize * pageSize;
    if (!m_map || end <= m_released)
        return;
    madvise(static_cast<char*>(m_map) + m_released, end - m_released, MADV_DONTNEED);
    m_released = end;
}

void FileBytes::release()
{
    if (m_map)
        munmap(m_map, m_size);
    m_map = nullptr;
    m_size = 0;
    m_released = 0;
    std::string().swap(m_copy);
}

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
    return c == Document::kParagraphEnd || c == Document::kLineBreak;
}

// The length of the next slice of text: never more than kTextSliceUnits, and never ending between
// the two halves of a surrogate pair, which would turn the character into two U+FFFD.
std::size_t sliceLength(std::u16string_view text)
{
    std::size_t length = std::min(text.size(), kTextSliceUnits);
    const bool splitsPair = length < text.size() && text[length - 1] >= 0xD800 &&
                            text[length - 1] <= 0xDBFF && text[length] >= 0xDC00 &&
                            text[length] <= 0xDFFF;
    return splitsPair ? length - 1 : length;
}

void printText(const Document& doc)
{
    ChunkedOutput out;
    std::u16string_view rest = doc.text;
    while (!rest.empty()) {
        std::u16string_view line = rest.substr(0, sliceLength(rest));
        line = line.substr(0, std::find_if(line.begin(), line.end(), isLineEnd) - line.begin());
        velmora::rtf::appendUtf8(out.buffer(), line);
        rest.remove_prefix(line.size());
        if (!rest.empty() && isLineEnd(rest.front())) {
            out.buffer() += '\n';
            rest.remove_prefix(1);
        }
        out.flushIfFull();
    }
    if (!doc.text.empty() && !isLineEnd(doc.text.back()))
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

void printRuns(const Document& doc)
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
    FileBytes bytes;
    std::string reason;
    if (!bytes.open(path, reason)) {
        std::fprintf(stderr, "rtfdump: %s: %s\n", path, reason.c_str());
        return 1;
    }
    const auto result = velmora::rtf::readRtf(
        bytes.view(), [&bytes](std::size_t bytesRead) { bytes.releaseBefore(bytesRead); });
    bytes.release();
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
