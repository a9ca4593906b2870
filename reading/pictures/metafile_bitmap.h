#pragma once
// The bitmap inside a Windows metafile whose only drawing is that bitmap, as WordPad writes a
// pasted picture. Plain C++: the picture fuzzer reaches it with any bytes.

#include <string_view>

namespace velmora {

// The DIB (BITMAPINFO and bits) the metafile draws, within wmf; empty when it draws anything
// else, more than one bitmap, or its records do not hold together.
std::string_view onlyBitmapOf(std::string_view wmf);

} // namespace velmora
