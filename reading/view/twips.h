#pragma once
// Window geometry, and the book's indents and spacing, are given in twips: 15 twips make one
// logical pixel (96 dots per inch). The windows' places and sizes divide evenly.

#include "rtf/model.h"

#include <QRect>

namespace velmora {

using rtf::kTwipsPerPixel;

constexpr int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// A size a program sets, which need not divide evenly: to the nearest pixel.
constexpr int twipsToNearestPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// An indent or a spacing of the book, kept exact: the layout works in fractions of a pixel.
constexpr double twipsToExactPixels(int twips)
{
    return twips / double(kTwipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace velmora
