#include "code_pages.h"

#include "simd.h"
#include "system_code_page.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <mutex>

namespace velmora::rtf {

namespace {

struct SingleBytePage {
    int codePage;
    std::array<char16_t, 256> units;
};

constexpr SingleBytePage kSingleBytePages[] = {
#include "code_page_tables.inc"
};

const SingleBytePage* findSingleBytePage(int codePage)
{
    for (const auto& page : kSingleBytePages)
        if (page.codePage == codePage)
            return &page;
    return nullptr;
}

// The double-byte pages, each with the Windows page it is read as and the name iconv knows that
// page by. The Mac pages are read as their Windows relatives, which hold every character the Mac
// ones do.
struct DoubleBytePage {
    int codePage;
    int readAs;
    const char* iconvName;
};

constexpr DoubleBytePage kDoubleBytePages[] = {
    {932, 932, "CP932"},   {936, 936, "CP936"},   {949, 949, "CP949"},
    {950, 950, "CP950"},   {1361, 1361, "JOHAB"}, {10001, 932, "CP932"},
    {10002, 950, "CP950"}, {10003, 949, "CP949"}, {10008, 936, "CP936"},
};
constexpr std::size_t kDoubleBytePageCount = std::size(kDoubleBytePages);

int doubleByteSlot(int codePage)
{
    for (std::size_t i = 0; i < kDoubleBytePageCount; ++i)
        if (kDoubleBytePages[i].codePage == codePage)
            return static_cast<int>(i);
    return -1;
}

bool isJapanese(int codePage)
{
    return codePage == 932 || codePage == 10001;
}

bool isLeadByte(int codePage, uint8_t byte)
{
    if (isJapanese(codePage))
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return byte >= 0x81 && byte <= 0xFE;
}

// Every character of a double-byte page, indexed by lead byte * 256 + trail byte (lead 0 for
// the single-byte characters). Built once per page from the system's converter, so decoding needs
// no lock and no call into the C library per character.
using DoubleByteTable = std::array<char16_t, 65536>;

std::unique_ptr<DoubleByteTable> buildDoubleByteTable(const DoubleBytePage& page)
{
    auto table = std::make_unique<DoubleByteTable>();
    table->fill(kReplacement);
    for (unsigned byte = 0; byte < 0x80; ++byte)
        (*table)[byte] = static_cast<char16_t>(byte);
    SystemCodePage converter(page.readAs, page.iconvName);
    if (!converter.available())
        return table; // no converter installed: the characters show as U+FFFD
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        const char single[1] = {static_cast<char>(lead)};
        if (!isLeadByte(page.codePage, static_cast<uint8_t>(lead))) {
            (*table)[lead] = converter.convert(single, 1);
            continue;
        }
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            (*table)[lead << 8 | trail] = converter.convert(pair, 2);
        }
    }
    return table;
}

const DoubleByteTable& doubleByteTable(int slot)
{
    static std::once_flag once[kDoubleBytePageCount];
    static std::unique_ptr<DoubleByteTable> tables[kDoubleBytePageCount];
    const auto index = static_cast<std::size_t>(slot);
    std::call_once(once[index],
                   [index] { tables[index] = buildDoubleByteTable(kDoubleBytePages[index]); });
    return *tables[index];
}

} // namespace

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) {
        auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

void appendCodePoint(std::u16string& out, uint32_t code)
{
    if (code >= 0x10000) {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<char16_t>(code);
    }
}

void appendUtf8(std::string& out, std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        const bool high = code >= 0xD800 && code < 0xDC00;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00u);
        else if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
            continue;
        }
        constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0}; // by the bytes that follow
        const int trailing = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        out += static_cast<char>(kLead[trailing] | code >> (6 * trailing));
        for (int k = trailing - 1; k >= 0; --k)
            out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
    }
}

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252; // ANSI
    case 2: return kSymbolPrivatePage;
    case 77: return 10000; // Mac Roman
    case 78: return 10001; // Mac Japanese
    case 79: return 10003; // Mac Korean
    case 80: return 10008; // Mac Simplified Chinese
    case 81: return 10002; // Mac Traditional Chinese
    case 86: return 10006; // Mac Greek
    case 87: return 10081; // Mac Turkish
    case 88: return 874;   // Mac Thai, read as Windows Thai
    case 89: return 10029; // Mac Central European
    case 90: return 10007; // Mac Cyrillic
    case 128: return 932;  // Shift-JIS
    case 129: return 949;  // Hangul
    case 130: return 1361; // Johab
    case 134: return 936;  // GB2312
    case 136: return 950;  // Big5
    case 161: return 1253; // Greek
    case 162: return 1254; // Turkish
    case 163: return 1258; // Vietnamese
    case 177: return 1255; // Hebrew
    case 178: return 1256; // Arabic
    case 179: return 1256; // Arabic Traditional
    case 180: return 1256; // Arabic user
    case 181: return 1255; // Hebrew user
    case 186: return 1257; // Baltic
    case 204: return 1251; // Cyrillic
    case 222: return 874;  // Thai
    case 238: return 1250; // Eastern European
    case 254: return 437;  // PC 437
    case 255: return 850;  // OEM
    default: return 0;     // DEFAULT and the rest: the file's code page
    }
}

bool isSymbolFontName(std::u16string_view name)
{
    for (std::u16string_view known :
         {u"Symbol", u"Wingdings", u"Wingdings 2", u"Wingdings 3", u"Webdings", u"Zapf Dingbats",
          u"ZapfDingbats", u"Monotype Sorts", u"Marlett"})
        if (equalsIgnoringCase(name, known))
            return true;
    return false;
}

int symbolFontPage(std::u16string_view name)
{
    if (equalsIgnoringCase(name, u"Symbol"))
        return kSymbolFontPage;
    if (equalsIgnoringCase(name, u"Wingdings"))
        return kWingdingsPage;
    return kSymbolPrivatePage;
}

PageKind pageKind(int codePage)
{
    if (codePage == kUtf8CodePage)
        return PageKind::Utf8;
    return doubleByteSlot(codePage) >= 0 ? PageKind::DoubleByte : PageKind::SingleByte;
}

const std::array<char16_t, 256>& singleByteTable(int codePage)
{
    static const SingleBytePage* const fallback = findSingleBytePage(kDefaultCodePage);
    const SingleBytePage* page = findSingleBytePage(codePage);
    return (page ? page : fallback)->units;
}

void ByteDecoder::decode(int codePage, std::string_view bytes, std::u16string& out)
{
    if (codePage != m_page) {
        m_pendingCount = 0;
        m_page = codePage;
    }
    switch (pageKind(codePage)) {
    case PageKind::Utf8: decodeUtf8(bytes, out); return;
    case PageKind::DoubleByte: decodeDoubleByte(codePage, bytes, out); return;
    case PageKind::SingleByte: break;
    }
    m_pendingCount = 0;
    const auto& table = singleByteTable(codePage);
    for (char c : bytes)
        out += table[static_cast<uint8_t>(c)];
}

void ByteDecoder::decodeDoubleByte(int codePage, std::string_view bytes, std::u16string& out)
{
    const DoubleByteTable& table = doubleByteTable(doubleByteSlot(codePage));
    for (char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (m_pendingCount) {
            m_pendingCount = 0;
            const char16_t unit = table[static_cast<std::size_t>(m_pending[0] << 8 | byte)];
            if (unit != kReplacement || byte >= 0x40) {
                out += unit;
                continue;
            }
            // A byte that cannot follow a lead byte starts a character of its own.
            out += kReplacement;
        }
        if (isLeadByte(codePage, byte)) {
            m_pending[0] = byte;
            m_pendingCount = 1;
        } else {
            out += table[byte];
        }
    }
}

void ByteDecoder::decodeUtf8(std::string_view bytes, std::u16string& out)
{
    for (char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (m_pendingCount) {
            if ((byte & 0xC0) == 0x80) {
                m_pending[m_pendingCount++] = byte;
                if (m_pendingCount < m_pendingNeeded)
                    continue;
                uint32_t code = m_pending[0] & (0x7Fu >> m_pendingNeeded);
                for (unsigned i = 1; i < m_pendingNeeded; ++i)
                    code = code << 6 | (m_pending[i] & 0x3Fu);
                m_pendingCount = 0;
                static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
                if (code < kSmallest[m_pendingNeeded] || code > 0x10FFFF ||
                    (code >= 0xD800 && code <= 0xDFFF)) {
                    out += kReplacement; // overlong forms and encoded surrogates
                } else {
                    appendCodePoint(out, code);
                }
                continue;
            }
            m_pendingCount = 0;
            out += kReplacement; // a sequence cut short
        }
        if (byte < 0x80) {
            out += static_cast<char16_t>(byte);
        } else if (byte >= 0xC2 && byte <= 0xF4) {
            m_pending[0] = byte;
            m_pendingCount = 1;
            m_pendingNeeded = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        } else {
            out += kReplacement;
        }
    }
}

namespace {

// Writes sixteen bytes as UTF-16 units at out, as if they were ASCII, and says whether they were.
#if defined(VELMORA_SSE2)
bool widenIfAscii(const char* bytes, char16_t* out)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
    return _mm_movemask_epi8(v) == 0;
}
#else
bool widenIfAscii(const char* bytes, char16_t* out)
{
    bool ascii = true;
    for (std::size_t n = 0; n < 16; ++n) {
        out[n] = static_cast<unsigned char>(bytes[n]);
        ascii = ascii && out[n] < 0x80;
    }
    return ascii;
}
#endif

} // namespace

bool keepsAscii(const std::array<char16_t, 256>& table)
{
    for (unsigned c = 0; c < 0x80; ++c)
        if (table[c] != c)
            return false;
    return true;
}

void decodeSingleByte(std::string_view bytes, const std::array<char16_t, 256>& table,
                      bool asciiKept, char16_t* out)
{
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        // Where ASCII stays ASCII, sixteen bytes at once; a block holding any other byte goes
        // through the table whole, since a branch per byte would be mispredicted at each accent.
        if (asciiKept && widenIfAscii(bytes.data() + i, out + i))
            continue;
        for (std::size_t k = i; k < i + 16; ++k)
            out[k] = table[static_cast<unsigned char>(bytes[k])];
    }
    for (; i < size; ++i)
        out[i] = table[static_cast<unsigned char>(bytes[i])];
}

} // namespace velmora::rtf
