#pragma once
// What this program knows of picture formats, in one place: which of a picture's bytes the book
// keeps, and how they become pixels. The parser only collects the bytes and the sizes. Qt reads
// PNG, JPEG and bitmaps (a DIB through its "dib" format); read here is only what Qt has no
// reader for: the one bitmap a Windows metafile may draw, and a device bitmap's rows. Every read
// is checked against the bytes there are; a picture that does not hold up is a frame.

#include "book_picture.h"

#include <QImage>
#include <QSize>

#include <vector>

namespace velmora {

// The form each picture of the model is kept in; their bytes are taken from the model.
std::vector<BookPicture> keepPictures(std::vector<rtf::Picture>& pictures);

// Whether the picture decodes in a few milliseconds, so that a paint may wait for it; a larger
// one is decoded while the window goes on.
bool isQuickToDecode(const BookPicture& picture);

// The picture at pixels size; a null image where it cannot be drawn, which the view frames.
QImage decodePicture(const BookPicture& picture, QSize pixels);

} // namespace velmora
