#pragma once
// Pictures: reading a \pict group into a Picture (model.h), its bytes and sizes; what the bytes
// mean is the book's business (reading/pictures).

#include "control_words.h"
#include "model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::rtf {

// One picture's bytes at most: a whole page scanned at 600 dots per inch takes a few megabytes as
// PNG or JPEG and some 100 MB uncompressed, which no book embeds. A larger picture is a frame.
constexpr std::size_t kMaxPictureBytes = 64u << 20;
// Pictures in one file: a book with a picture on every one of its pages has a few thousand; a
// file of nothing but "{\pict}" would otherwise cost a record per seven bytes. Past it pictures
// are left out.
constexpr std::size_t kMaxPictures = 1u << 16;
// Shown sizes, in twips: 22 inches is the largest page word processors lay out, and a picture
// is never shown smaller than one pixel.
constexpr int32_t kMaxPictureTwips = 22 * 1440;
constexpr int32_t kMinPictureTwips = 15;

// Reads one \pict group as its words and data arrive, and makes its Picture at the group's end.
class PictureReader {
public:
    // All pictures together hold no more bytes than the file, whose size the book caps.
    void begin();
    void applyWord(Word word, int32_t parameter, bool hasParameter);
    // The hex form: pairs of digits, white space and anything else passed over; an odd digit at
    // the end is dropped.
    void addHex(std::string_view text);
    // \binN data.
    void addBinary(std::string_view bytes);
    // The picture, its position left to the caller; its size in twips is worked out here.
    Picture finish();

private:
    bool makeRoom(std::size_t count);

    Picture m_picture;
    int32_t m_goalWidth = 0;
    int32_t m_goalHeight = 0;
    int32_t m_scaleX = 100;
    int32_t m_scaleY = 100;
    int m_highNibble = -1; // the first digit of a pair, waiting for its second
    bool m_overflow = false;
};

} // namespace velmora::rtf
