#pragma once
// A picture of the book as the book keeps it: its place, its shown size, and its bytes once, in
// the form they are decoded from (picture_formats.h).

#include "rtf/model.h"

#include <QByteArray>
#include <QSize>

namespace velmora {

struct BookPicture {
    enum class Form : uint8_t {
        Frame,    // nothing this program can draw: an empty frame of its size, no bytes kept
        Image,    // PNG or JPEG, as the file gives them; \wbitmap's rows as a PNG
        Bitmap,   // a DIB, compressed (qCompress): from \dibitmap or a bitmap metafile
        Metafile, // a Windows or enhanced metafile, compressed, where the system plays them
    };

    Form form = Form::Frame;
    rtf::Picture::Kind kind = rtf::Picture::Kind::Unknown;
    int position = 0; // of its U+FFFC in the book's text
    // The shown size in twips; 0 when the file gives none, and the picture's own size decides.
    int widthTwips = 0;
    int heightTwips = 0;
    QSize pixels; // its own size, read from its header when kept; empty when unknown
    QByteArray bytes;
};

} // namespace velmora
