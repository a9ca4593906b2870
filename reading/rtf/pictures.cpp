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

} // namespace

void PictureReader::begin()
{
    *this = PictureReader();
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
    if (count > kMaxPictureBytes - m_picture.data.size()) {
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

} // namespace velmora::rtf
