#include "metafile_bitmap.h"

#include <cstddef>
#include <cstdint>

namespace velmora {

namespace {

// A placeable header (Aldus) that some writers put before the metafile's own.
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::size_t kPlaceableHeaderBytes = 22;
constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kRecordHeaderBytes = 6; // its length in words, and its function

// Little-endian numbers; the caller has checked that the bytes are there.
uint32_t readU16(std::string_view bytes, std::size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}

uint32_t readU32(std::string_view bytes, std::size_t at)
{
    return readU16(bytes, at) | readU16(bytes, at + 2) << 16;
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
// record that draws no DIB. The offset may lie past a damaged record's end: the caller checks.
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

} // namespace

std::string_view onlyBitmapOf(std::string_view wmf)
{
    if (wmf.size() >= kPlaceableHeaderBytes && readU32(wmf, 0) == kPlaceableKey)
        wmf.remove_prefix(kPlaceableHeaderBytes);
    if (wmf.size() < kHeaderBytes)
        return {};
    const std::size_t headerBytes = std::size_t(readU16(wmf, 2)) * 2;
    if (headerBytes < kHeaderBytes || headerBytes > wmf.size())
        return {};
    std::string_view dib;
    for (std::size_t at = headerBytes; wmf.size() - at >= kRecordHeaderBytes;) {
        const uint64_t recordBytes = uint64_t(readU32(wmf, at)) * 2;
        const uint32_t function = readU16(wmf, at + 4);
        if (function == 0) // the end record
            break;
        if (recordBytes < kRecordHeaderBytes || recordBytes > wmf.size() - at)
            return {};
        const std::string_view record = wmf.substr(at, static_cast<std::size_t>(recordBytes));
        const std::size_t offset = dibOffsetIn(function, record.size());
        if (offset != 0) {
            // A picture drawn in bands or pieces is more than one bitmap; a record shorter than
            // its own fixed fields holds none.
            if (!dib.empty() || offset >= record.size())
                return {};
            dib = record.substr(offset);
        } else if (!isStateRecord(function)) {
            return {};
        }
        at += record.size();
    }
    return dib;
}

} // namespace velmora
