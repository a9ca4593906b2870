#pragma once
// The model that the RTF parser makes of a file: plain text plus formatting runs.
// Plain C++ only, so the parser can be fuzzed and benchmarked without Qt.

#include "table_model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora::rtf {

// The largest text size word processors offer, 1638 points, in half points: \fsN above it is no
// size any writer produces, and no size is set larger.
constexpr uint16_t kMaxHalfPoints = 3276;

// Character formatting of one run of text.
struct CharFormat {
    static constexpr uint32_t kAutoColor = 0xFF000000u;
    enum class Vertical : uint8_t { Baseline, Super, Sub };

    uint16_t font = 0;        // index into Model::fontNames
    uint16_t halfPoints = 24; // size in half points, as RTF counts it (\fs)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    // \caps and \scaps change only how letters are drawn, capitals first: the text keeps the
    // case it was written in, for search and copy.
    bool capitals = false;
    bool smallCapitals = false;
    Vertical vertical = Vertical::Baseline;
    // \upN and \dnN: how far the text stands above (below, when negative) the baseline, in half
    // points, at its own size.
    int16_t raised = 0;
    uint32_t color = kAutoColor;      // 0xRRGGBB, or kAutoColor for the default text colour
    uint32_t background = kAutoColor; // highlight / character shading

    double points() const { return halfPoints / 2.0; }
    bool operator==(const CharFormat&) const = default;
};

// Paragraph formatting; lengths in twips as RTF gives them.
struct ParagraphFormat {
    enum class Align : uint8_t { Left, Center, Right, Justify };

    Align align = Align::Left;
    int32_t leftIndent = 0;
    int32_t rightIndent = 0;
    int32_t firstLineIndent = 0;
    int32_t spaceBefore = 0;
    int32_t spaceAfter = 0;
    // \sl: 0 = single; positive = at least that many twips; negative = exactly.
    // With lineMultiple the value is in 240ths of a line instead.
    int32_t lineSpacing = 0;
    bool lineMultiple = false;
    // \rtlpar: the paragraph's base direction for the bidirectional algorithm. Alignment and the
    // indents above stay physical, as RTF writes them.
    bool rightToLeft = false;

    bool operator==(const ParagraphFormat&) const = default;
};

// A stretch of text with one character format. Runs are contiguous, ordered and cover the text.
struct CharRun {
    int32_t start = 0;
    int32_t length = 0;
    uint32_t format = 0; // index into Model::charFormats
};

// One paragraph: its text runs from start for length characters, and the paragraph end ('\r')
// follows it unless it is the last paragraph of a text without a final paragraph end.
struct Paragraph {
    int32_t start = 0;
    int32_t length = 0;
    uint32_t format = 0; // index into Model::paragraphFormats
};

// A pixel of a screen at 96 dots per inch: a bitmap's pixel, and the view's logical pixel.
inline constexpr int32_t kTwipsPerPixel = 15;

// A picture (\pict) that stands in the text as one U+FFFC, as an embedded object does in a
// word processor. Its bytes are as the file gives them, the hex form decoded.
struct Picture {
    enum class Kind : uint8_t {
        Unknown,      // no blip word, or bytes beyond the limits: shown as an empty frame
        Png,          // \pngblip
        Jpeg,         // \jpegblip
        Emf,          // \emfblip
        Wmf,          // \wmetafile
        Dib,          // \dibitmap: a device-independent bitmap without its file header
        DeviceBitmap, // \wbitmap: the bits of a device-dependent bitmap alone
        Os2Metafile,  // \pmmetafile
        MacPict,      // \macpict
    };

    Kind kind = Kind::Unknown;
    int32_t position = 0; // of its U+FFFC in the text
    // The size shown, in twips, after the goal and the scale; 0 when the file gives none, and
    // the picture's own size decides.
    int32_t width = 0;
    int32_t height = 0;
    // \picw and \pich: of a bitmap in pixels; \wbitmap also needs its bytes per line and
    // bits per pixel to be read.
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t bytesPerLine = 0;
    int32_t bitsPerPixel = 0;
    std::string data;
};

struct Model {
    static constexpr char16_t kParagraphEnd = u'\r';
    static constexpr char16_t kLineBreak = u'\u2028'; // \line: a break inside the paragraph
    static constexpr char16_t kObject = u'\uFFFC';    // where a picture stands

    std::u16string text;                 // UTF-16; every paragraph end is one '\r'
    std::vector<std::string> fontNames;  // UTF-8, exactly as the font table spells them
    std::vector<CharFormat> charFormats; // distinct formats, referred to by runs
    std::vector<CharRun> runs;
    std::vector<ParagraphFormat> paragraphFormats;
    std::vector<Paragraph> paragraphs;
    std::vector<Picture> pictures; // by position; each has its kObject in the text
    // Rows in the order they end, so a nested row comes before the row around it.
    std::vector<TableRow> tableRows;
    std::vector<TableCell> tableCells; // each row's cells, from its first on

    const CharFormat& formatOf(const CharRun& run) const { return charFormats[run.format]; }
    const std::string& fontNameOf(const CharRun& run) const
    {
        return fontNames[charFormats[run.format].font];
    }
};

namespace detail {
// Folds two 64-bit words into one hash value; the odd multipliers carry every input bit into the
// high bits, and the final shift brings them down to the bits a bucket index uses.
constexpr std::size_t mixHash(uint64_t a, uint64_t b)
{
    const uint64_t h = (a ^ b * 0x9E3779B97F4A7C15ull) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<std::size_t>(h ^ h >> 32);
}
constexpr uint64_t bits(int32_t v)
{
    return static_cast<uint32_t>(v);
}
} // namespace detail

} // namespace velmora::rtf

// Formats are keys of hash maps wherever a model is built or edited; equality decides, so the
// hash may collide without two formats ever sharing an index.
template <> struct std::hash<velmora::rtf::CharFormat> {
    std::size_t operator()(const velmora::rtf::CharFormat& f) const noexcept
    {
        const uint64_t flags = uint64_t(f.bold) | uint64_t(f.italic) << 1 |
                               uint64_t(f.underline) << 2 | uint64_t(f.strike) << 3 |
                               uint64_t(f.hidden) << 4 | uint64_t(f.vertical) << 5 |
                               uint64_t(f.capitals) << 7 | uint64_t(f.smallCapitals) << 8;
        return velmora::rtf::detail::mixHash(uint64_t(f.font) | uint64_t(f.halfPoints) << 16 |
                                                 uint64_t(uint16_t(f.raised)) << 48 | flags << 32,
                                             uint64_t(f.color) | uint64_t(f.background) << 32);
    }
};

template <> struct std::hash<velmora::rtf::ParagraphFormat> {
    std::size_t operator()(const velmora::rtf::ParagraphFormat& p) const noexcept
    {
        using velmora::rtf::detail::bits;
        using velmora::rtf::detail::mixHash;
        // Shifted into the top byte below, so they stay within its eight bits.
        const uint64_t flags =
            uint64_t(p.align) | uint64_t(p.lineMultiple) << 2 | uint64_t(p.rightToLeft) << 3;
        const std::size_t h = mixHash(bits(p.leftIndent) | bits(p.rightIndent) << 32,
                                      bits(p.firstLineIndent) | bits(p.spaceBefore) << 32);
        return mixHash(h, (bits(p.spaceAfter) | bits(p.lineSpacing) << 32) ^ flags << 56);
    }
};
