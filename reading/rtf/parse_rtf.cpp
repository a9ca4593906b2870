#include "parse_rtf.h"

#include "parser.h"

#include <cstring>

namespace velmora::rtf {

namespace {

// Past a UTF-8 byte-order mark and white space, which some writers put before the RTF.
std::size_t preambleEnd(std::string_view bytes)
{
    std::size_t start = 0;
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0)
        start = 3;
    while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\t' ||
                                    bytes[start] == '\r' || bytes[start] == '\n'))
        ++start;
    return start;
}

} // namespace

std::optional<std::size_t> rtfStart(std::string_view bytes)
{
    const std::size_t start = preambleEnd(bytes);
    if (bytes.substr(start, 5) != "{\\rtf")
        return std::nullopt;
    return start;
}

ParseResult parseRtf(std::string_view bytes)
{
    const std::optional<std::size_t> start = rtfStart(bytes);
    if (!start) {
        ParseResult result;
        result.status = ParseStatus::NotRtf;
        result.byteOffset = preambleEnd(bytes);
        result.message = "not an RTF file: it does not start with {\\rtf";
        return result;
    }
    return Parser(bytes).run(*start);
}

} // namespace velmora::rtf
