#pragma once
// A picture of the book as the book keeps it: its bytes once, in the form the view decodes them
// from, and its place and shown size. QtCore only; the view decodes and draws (picture_object.h).

#include "rtf/model.h"

#include <QByteArray>

#include <vector>

namespace velmora {

struct BookPicture {
    enum class Form : uint8_t {
        Frame,    // nothing this program can draw: an empty frame of its size
        Image,    // PNG or JPEG, as the file gives them
        Bitmap,   // a BMP file, compressed (qCompress): from \dibitmap, \wbitmap, a bitmap metafile
        Metafile, // a Windows metafile or enhanced metafile, compressed: the system may play it
    };

    Form form = Form::Frame;
    rtf::Picture::Kind kind = rtf::Picture::Kind::Unknown;
    int position = 0; // of its U+FFFC in the book's text
    // The shown size in twips; 0 when the file gives none, and the picture's own size decides.
    int widthTwips = 0;
    int heightTwips = 0;
    QByteArray bytes;
};

// The form each picture of the model is kept in; their bytes are taken from the model.
std::vector<BookPicture> keepPictures(std::vector<rtf::Picture>& pictures);

} // namespace velmora
