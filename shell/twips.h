#pragma once
// Window geometry is laid out in twips: 15 twips make one logical
// pixel (96 dots per inch), so every place and size below divides evenly.

#include <QRect>

namespace velmora {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace velmora
