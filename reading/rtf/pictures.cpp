#include "pictures.h"

#include <algorithm>
#include <array>

namespace velmora::rtf {

namespace {

// A scale beyond a hundredfold is no picture's; the shown size is clamped anyway.
constexpr int32_t kMaxScalePercent = 10000;
// \picw of a metafile counts hundredths of a millimetre; 2540 make 1440 twips.
constexpr int64_t kHimetricPerInch = 2540;
constexpr int64_t kTwipsPerInch = 1440;
// A bitmap's pixel, at the 96 dots per inch of a screen.
constexpr int64_t kTwipsPerPixel = 15;

constexpr std::array<int8_t, 256> makeHexDigits()
{
    std::array<int8_t, 256> digits{};
    digits.fill(-1);
    for (int c = 0; c < 10; ++c)
        digits[static_cast<std::size_t>('0' + c)] = static_cast<int8_t>(c);
    for (int c = 0; c < 6; ++c) {
        digits[static_cast<std::size_t>('a' + c)] = static_cast<int8_t>(10 + c);
        digits[static_cast<std::size_t>('A' + c)] = static_cast<int8_t>(10 + c);
    }
    return digits;
}
constexpr std::array<int8_t, 256> kHexDigits = makeHexDigits();

Picture::Kind kindOf(Word word)
{
    switch (word) {
    case Word::PngBlip: return Picture::Kind::Png;
    case Word::JpegBlip: return Picture::Kind::Jpeg;
    case Word::EmfBlip: return Picture::Kind::Emf;
    case Word::WindowsMetafile: return Picture::Kind::Wmf;
    case Word::DibBitmap: return Picture::Kind::Dib;
    case Word::DeviceBitmap: return Picture::Kind::DeviceBitmap;
    case Word::Os2Metafile: return Picture::Kind::Os2Metafile;
    case Word::MacPict: return Picture::Kind::MacPict;
    default: return Picture::Kind::Unknown;
    }
}

bool isMetafile(Picture::Kind kind)
{
    return kind == Picture::Kind::Wmf || kind == Picture::Kind::Emf ||
           kind == Picture::Kind::Os2Metafile;
}

int32_t clampTwips(int64_t twips)
{
    if (twips <= 0)
        return 0;
    return static_cast<int32_t>(std::clamp<int64_t>(twips, kMinPictureTwips, kMaxPictureTwips));
}

// The shown length: the goal scaled, else the source size in its own unit.
int32_t shownTwips(int32_t goal, int32_t scale, int32_t source, Picture::Kind kind)
{
    const int64_t percent = std::clamp(scale, 1, kMaxScalePercent);
    if (goal > 0)
        return clampTwips(int64_t(goal) * percent / 100);
    if (source <= 0)
        return 0;
    const int64_t twips = isMetafile(kind) ? int64_t(source) * kTwipsPerInch / kHimetricPerInch
                                           : int64_t(source) * kTwipsPerPixel;
    return clampTwips(twips * percent / 100);
}

uint32_t readU16(std::string_view bytes, std::size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}

uint32_t readU32(std::string_view bytes, std::size_t at)
{
    return readU16(bytes, at) | readU16(bytes, at + 2) << 16;
}

void putU16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

void putU32(std::string& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

// A DIB (BITMAPINFO and bits, as \dibitmap and metafiles hold it) with the 14-byte file header
// that makes it a BMP file: the header says where the bits start, past the colour table.
std::string bmpOfDib(std::string_view dib)
{
    if (dib.size() < 12)
        return {};
    const uint32_t headerSize = readU32(dib, 0);
    uint64_t tableBytes = 0;
    if (headerSize == 12) { // BITMAPCOREHEADER: three-byte colours
        const uint32_t bits = readU16(dib, 10);
        tableBytes = bits <= 8 ? (uint64_t(1) << bits) * 3 : 0;
    } else if (headerSize >= 40 && headerSize <= dib.size()) {
        const uint32_t bits = readU16(dib, 14);
        const uint32_t compression = readU32(dib, 16);
        const uint32_t used = readU32(dib, 32);
        tableBytes = uint64_t(used != 0 ? used : (bits <= 8 ? 1u << bits : 0)) * 4;
        // BI_BITFIELDS and BI_ALPHABITFIELDS: the masks follow a header that has no room for them.
        if (headerSize == 40 && compression == 3)
            tableBytes += 12;
        else if (headerSize == 40 && compression == 6)
            tableBytes += 16;
    } else {
        return {};
    }
    const uint64_t bitsOffset = 14 + uint64_t(headerSize) + tableBytes;
    if (bitsOffset >= 14 + uint64_t(dib.size()))
        return {};
    std::string file;
    file.reserve(14 + dib.size());
    file += "BM";
    putU32(file, static_cast<uint32_t>(14 + dib.size()));
    putU32(file, 0);
    putU32(file, static_cast<uint32_t>(bitsOffset));
    file.append(dib);
    return file;
}

// \wbitmap: the bits of a device-dependent bitmap, rows top down, each picwbpl bytes. The
// monochrome and the true-colour ones need no device palette; others are not read.
std::string bmpOfDeviceBitmap(const Picture& picture)
{
    const int64_t width = picture.sourceWidth;
    const int64_t height = picture.sourceHeight;
    const int64_t bits = picture.bitsPerPixel == 0 ? 1 : picture.bitsPerPixel;
    if (width <= 0 || height <= 0 || (bits != 1 && bits != 24 && bits != 32))
        return {};
    const int64_t rowBytes = (width * bits + 7) / 8;
    const int64_t stride = picture.bytesPerLine > 0 ? picture.bytesPerLine : (rowBytes + 1) / 2 * 2;
    if (stride < rowBytes || stride * height > int64_t(picture.data.size()))
        return {};
    const int64_t bmpStride = (rowBytes + 3) / 4 * 4;
    const uint32_t tableBytes = bits == 1 ? 8 : 0;
    std::string dib;
    dib.reserve(static_cast<std::size_t>(40 + tableBytes + bmpStride * height));
    putU32(dib, 40);
    putU32(dib, static_cast<uint32_t>(width));
    putU32(dib, static_cast<uint32_t>(-height)); // top down, as the device bitmap is
    putU16(dib, 1);
    putU16(dib, static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; ++i)
        putU32(dib, 0);
    if (bits == 1) {
        putU32(dib, 0x000000); // a 0 bit is black, a 1 bit white, as on a monochrome device
        putU32(dib, 0xFFFFFF);
    }
    for (int64_t row = 0; row < height; ++row) {
        dib.append(picture.data, static_cast<std::size_t>(row * stride),
                   static_cast<std::size_t>(rowBytes));
        dib.append(static_cast<std::size_t>(bmpStride - rowBytes), '\0');
    }
    return bmpOfDib(dib);
}

// Windows metafile records (their function numbers) that draw nothing but change the state
// that a bitmap's drawing ignores, or are comments.
bool isStateRecord(uint32_t function)
{
    switch (function) {
    case 0x001E: // SaveDC
    case 0x0035: // RealizePalette
    case 0x00F7: // CreatePalette
    case 0x0102: // SetBkMode
    case 0x0103: // SetMapMode
    case 0x0104: // SetROP2
    case 0x0105: // SetRelAbs
    case 0x0106: // SetPolyFillMode
    case 0x0107: // SetStretchBltMode
    case 0x0108: // SetTextCharExtra
    case 0x0127: // RestoreDC
    case 0x012C: // SelectClipRegion
    case 0x012D: // SelectObject
    case 0x012E: // SetTextAlign
    case 0x0149: // SetLayout
    case 0x01F0: // DeleteObject
    case 0x0201: // SetBkColor
    case 0x0209: // SetTextColor
    case 0x020B: // SetWindowOrg
    case 0x020C: // SetWindowExt
    case 0x020D: // SetViewportOrg
    case 0x020E: // SetViewportExt
    case 0x020F: // OffsetWindowOrg
    case 0x0211: // OffsetViewportOrg
    case 0x0214: // MoveTo
    case 0x0220: // OffsetClipRgn
    case 0x0231: // SetMapperFlags
    case 0x0234: // SelectPalette
    case 0x02FA: // CreatePenIndirect
    case 0x02FB: // CreateFontIndirect
    case 0x02FC: // CreateBrushIndirect
    case 0x0410: // ScaleWindowExt
    case 0x0412: // ScaleViewportExt
    case 0x0415: // ExcludeClipRect
    case 0x0416: // IntersectClipRect
    case 0x0626: // Escape: comments
        return true;
    default: return false;
    }
}

// Where the DIB starts in a record that draws one, counted from the record's start; 0 for a
// record that draws no DIB.
std::size_t dibOffsetIn(uint32_t function, std::size_t recordBytes)
{
    switch (function) {
    case 0x0F43: return 28; // StretchDIBits
    case 0x0B41:            // DIBStretchBlt; its form without a bitmap is one word longer
        return recordBytes > 28 + 40 ? 26 : 0;
    case 0x0940: // DIBBitBlt, likewise
        return recordBytes > 24 + 40 ? 22 : 0;
    default: return 0;
    }
}

// The one DIB a Windows metafile draws, when drawing it is all the metafile does.
std::string_view onlyBitmapOf(std::string_view wmf)
{
    // A placeable header (Aldus) may stand before the metafile's own.
    if (wmf.size() >= 22 && readU32(wmf, 0) == 0x9AC6CDD7u)
        wmf.remove_prefix(22);
    if (wmf.size() < 18)
        return {};
    const std::size_t headerBytes = std::size_t(readU16(wmf, 2)) * 2;
    if (headerBytes < 18 || headerBytes > wmf.size())
        return {};
    std::string_view dib;
    for (std::size_t at = headerBytes; at + 6 <= wmf.size();) {
        const uint64_t recordBytes = uint64_t(readU32(wmf, at)) * 2;
        const uint32_t function = readU16(wmf, at + 4);
        if (function == 0) // the end record
            break;
        if (recordBytes < 6 || recordBytes > wmf.size() - at)
            return {};
        const std::size_t offset = dibOffsetIn(function, static_cast<std::size_t>(recordBytes));
        if (offset != 0) {
            if (!dib.empty()) // a picture drawn in bands or pieces is more than one bitmap
                return {};
            dib = wmf.substr(at + offset, static_cast<std::size_t>(recordBytes) - offset);
        } else if (!isStateRecord(function)) {
            return {};
        }
        at += static_cast<std::size_t>(recordBytes);
    }
    return dib;
}

} // namespace

void PictureReader::begin(std::size_t bytesLeft)
{
    *this = PictureReader();
    m_byteLimit = std::min(kMaxPictureBytes, bytesLeft);
}

void PictureReader::applyWord(Word word, int32_t parameter, bool hasParameter)
{
    const int32_t value = hasParameter ? parameter : 0;
    switch (word) {
    case Word::PicWidth: m_picture.sourceWidth = value; return;
    case Word::PicHeight: m_picture.sourceHeight = value; return;
    case Word::PicWidthGoal: m_goalWidth = value; return;
    case Word::PicHeightGoal: m_goalHeight = value; return;
    case Word::PicScaleX: m_scaleX = hasParameter ? parameter : 100; return;
    case Word::PicScaleY: m_scaleY = hasParameter ? parameter : 100; return;
    case Word::PicBytesPerLine: m_picture.bytesPerLine = value; return;
    case Word::PicBitsPerPixel: m_picture.bitsPerPixel = value; return;
    default: m_picture.kind = kindOf(word); return;
    }
}

bool PictureReader::makeRoom(std::size_t count)
{
    if (m_overflow)
        return false;
    if (count > m_byteLimit - m_picture.data.size()) {
        m_overflow = true;
        std::string().swap(m_picture.data);
        return false;
    }
    return true;
}

void PictureReader::addHex(std::string_view text)
{
    if (!makeRoom(text.size() / 2 + 1))
        return;
    for (const char c : text) {
        const int digit = kHexDigits[static_cast<uint8_t>(c)];
        if (digit < 0)
            continue;
        if (m_highNibble < 0) {
            m_highNibble = digit;
        } else {
            m_picture.data += static_cast<char>(m_highNibble << 4 | digit);
            m_highNibble = -1;
        }
    }
}

void PictureReader::addBinary(std::string_view bytes)
{
    if (makeRoom(bytes.size()))
        m_picture.data.append(bytes);
}

Picture PictureReader::finish()
{
    Picture picture = std::move(m_picture);
    if (m_overflow)
        picture.kind = Picture::Kind::Unknown;
    picture.width = shownTwips(m_goalWidth, m_scaleX, picture.sourceWidth, picture.kind);
    picture.height = shownTwips(m_goalHeight, m_scaleY, picture.sourceHeight, picture.kind);
    picture.data.shrink_to_fit();
    return picture;
}

std::string bitmapFileOf(const Picture& picture)
{
    switch (picture.kind) {
    case Picture::Kind::Dib: return bmpOfDib(picture.data);
    case Picture::Kind::DeviceBitmap: return bmpOfDeviceBitmap(picture);
    case Picture::Kind::Wmf: {
        const std::string_view dib = onlyBitmapOf(picture.data);
        return dib.empty() ? std::string() : bmpOfDib(dib);
    }
    default: return {};
    }
}

} // namespace velmora::rtf
