#include "code_pages.h"

#include <iconv.h>

#include <cstring>
#include <map>
#include <mutex>
#include <utility>

namespace velmora::rtf {

namespace {

struct SingleBytePage {
    int codePage;
    std::array<uint16_t, 128> upperHalf;
};

const SingleBytePage kSingleBytePages[] = {
#include "code_page_tables.inc"
};

std::array<char16_t, 256> makeTable(const SingleBytePage& page) {
    std::array<char16_t, 256> table{};
    for (unsigned i = 0; i < 128; ++i)
        table[i] = static_cast<char16_t>(i);
    for (unsigned i = 0; i < 128; ++i)
        table[128 + i] = static_cast<char16_t>(page.upperHalf[i]);
    return table;
}

const char* iconvName(int codePage) {
    switch (codePage) {
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    default: return nullptr;
    }
}

} // namespace

int codePageForCharset(int charset) {
    switch (charset) {
    case 0: return 1252;   // ANSI
    case 77: return 10000; // Mac Roman
    case 128: return 932;  // Shift-JIS
    case 129: return 949;  // Hangul
    case 134: return 936;  // GB2312
    case 136: return 950;  // Big5
    case 161: return 1253; // Greek
    case 162: return 1254; // Turkish
    case 163: return 1258; // Vietnamese
    case 177: return 1255; // Hebrew
    case 178: return 1256; // Arabic
    case 186: return 1257; // Baltic
    case 204: return 1251; // Cyrillic
    case 222: return 874;  // Thai
    case 238: return 1250; // Eastern European
    case 254: return 437;  // PC 437
    case 255: return 850;  // OEM
    default: return 0;     // DEFAULT, SYMBOL and the rest: the document's code page
    }
}

bool isDoubleByteCodePage(int codePage) {
    return iconvName(codePage) != nullptr;
}

bool isLeadByte(int codePage, uint8_t byte) {
    if (codePage == 932)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return isDoubleByteCodePage(codePage) && byte >= 0x81 && byte <= 0xFE;
}

const std::array<char16_t, 256>& singleByteTable(int codePage) {
    static const auto tables = [] {
        std::map<int, std::array<char16_t, 256>> all;
        for (const auto& page : kSingleBytePages)
            all.emplace(page.codePage, makeTable(page));
        return all;
    }();
    auto found = tables.find(codePage);
    if (found == tables.end())
        found = tables.find(kDefaultCodePage);
    return found->second;
}

namespace {

char16_t decodeWithIconv(int codePage, const char* bytes, size_t count) {
    // iconv descriptors are not thread-safe, so each is used under one lock; double-byte text
    // is rare enough that the lock costs nothing that matters.
    static std::mutex lock;
    static std::map<int, iconv_t> converters;
    const char* name = iconvName(codePage);
    if (!name)
        return u'\uFFFD';
    std::lock_guard guard(lock);
    auto [it, inserted] = converters.try_emplace(codePage, iconv_t(-1));
    if (inserted)
        it->second = iconv_open("UTF-16LE", name);
    if (it->second == iconv_t(-1))
        return u'\uFFFD';
    char in[2] = {bytes[0], count > 1 ? bytes[1] : '\0'};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = count, outLeft = sizeof out;
    iconv(it->second, nullptr, nullptr, nullptr, nullptr);
    if (iconv(it->second, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || outLeft != 6)
        return u'\uFFFD';
    return static_cast<char16_t>(static_cast<uint8_t>(out[0]) | (static_cast<uint8_t>(out[1]) << 8));
}

} // namespace

char16_t decodeDoubleByte(int codePage, uint8_t lead, uint8_t trail) {
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    return decodeWithIconv(codePage, bytes, 2);
}

char16_t decodeSingleByte(int codePage, uint8_t byte) {
    const char bytes[1] = {static_cast<char>(byte)};
    return decodeWithIconv(codePage, bytes, 1);
}

void appendUtf8(std::string& out, const std::u16string& text) {
    auto put = [&out](uint32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            put(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            put(0xFFFD);
        } else {
            put(c);
        }
    }
}

} // namespace velmora::rtf
