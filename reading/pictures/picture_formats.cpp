#include "picture_formats.h"

#include "metafile_bitmap.h"
#include "metafile_player.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace velmora {

namespace {

using Kind = rtf::Picture::Kind;

// A picture decoded at its full size and then scaled (all but JPEG, which decodes at the size
// asked for) has at most this many pixels, 64 MB at four bytes a pixel: a book's memory stays
// within its file's size and some 100 MB whatever its pictures claim. A page scanned at 300 dots
// per inch has half as many; a larger one is a frame.
constexpr qint64 kMostFullSizePixels = 4096 * 4096;
// Any picture has at most this many: a decoder reads every row, for seconds, even to scale it
// down. No book's picture has half as many; a file that claims more (a PNG of 30,000 by 30,000
// pixels) is a frame.
constexpr qint64 kMostSourcePixels = 8192 * 8192;
// What a decoder may allocate, in megabytes: the largest picture it decodes at full size.
constexpr int kDecodeAllocationMegabytes = int(kMostFullSizePixels * 4 >> 20);
constexpr int kInfoHeaderBytes = 40; // BITMAPINFOHEADER
// A picture of up to this many pixels decodes within some 5 ms: a paint may wait for it.
constexpr qint64 kMostQuickPixels = 1024 * 1024;

void putLittleEndian(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i) & 0xFF);
}

// \wbitmap: the bits of a device-dependent bitmap, rows top down, each picwbpl bytes, given the
// header that makes them a DIB. The monochrome and the true-colour ones need no device palette;
// others are not read. Empty when the rows the picture claims are not all there.
QByteArray dibOfDeviceBitmap(const rtf::Picture& picture)
{
    const qint64 width = picture.sourceWidth;
    const qint64 height = picture.sourceHeight;
    const qint64 bits = picture.bitsPerPixel == 0 ? 1 : picture.bitsPerPixel;
    if (width <= 0 || height <= 0 || (bits != 1 && bits != 24 && bits != 32))
        return {};
    const qint64 rowBytes = (width * bits + 7) / 8;
    const qint64 stride = picture.bytesPerLine > 0 ? picture.bytesPerLine : (rowBytes + 1) / 2 * 2;
    if (stride < rowBytes || stride > qint64(picture.data.size()) ||
        height > qint64(picture.data.size()) / stride)
        return {};
    const qint64 dibStride = (rowBytes + 3) / 4 * 4;
    QByteArray dib;
    dib.reserve(kInfoHeaderBytes + 8 + dibStride * height);
    for (const qint64 field : {qint64(kInfoHeaderBytes), width, height})
        putLittleEndian(dib, quint32(field), 4);
    putLittleEndian(dib, 1, 2);
    putLittleEndian(dib, quint32(bits), 2);
    dib.append(6 * 4, '\0');
    if (bits == 1) { // a 0 bit is black, a 1 bit white, as on a monochrome device
        putLittleEndian(dib, 0x000000, 4);
        putLittleEndian(dib, 0xFFFFFF, 4);
    }
    for (qint64 row = height - 1; row >= 0; --row) { // a DIB's rows bottom up
        dib.append(picture.data.data() + row * stride, rowBytes);
        dib.append(dibStride - rowBytes, '\0');
    }
    return dib;
}

// How a picture is kept: its form, its bytes (of a bitmap or a metafile, a view into the
// model's, compressed before they go), and what a reader of them (format "" to tell by the
// bytes) needs.
struct Kept {
    BookPicture::Form form = BookPicture::Form::Frame;
    QByteArray bytes;
    QByteArray readerFormat;
};

Kept keptFormOf(const rtf::Picture& picture)
{
    using Form = BookPicture::Form;
    const std::string_view data = picture.data;
    if (data.empty())
        return {};
    switch (picture.kind) {
    case Kind::Png:
    case Kind::Jpeg: return {Form::Image, QByteArray(data.data(), qsizetype(data.size())), {}};
    case Kind::Dib:
        return {Form::Bitmap, QByteArray::fromRawData(data.data(), qsizetype(data.size())), "dib"};
    case Kind::DeviceBitmap: {
        QByteArray dib = dibOfDeviceBitmap(picture);
        return dib.isEmpty() ? Kept() : Kept{Form::Bitmap, std::move(dib), "dib"};
    }
    case Kind::Wmf:
        if (const std::string_view dib = onlyBitmapOf(data); !dib.empty())
            return {Form::Bitmap, QByteArray::fromRawData(dib.data(), qsizetype(dib.size())),
                    "dib"};
        [[fallthrough]];
    case Kind::Emf:
        // A metafile nothing here can play is no more than its frame.
        if (playsMetafiles())
            return {
                Form::Metafile, QByteArray::fromRawData(data.data(), qsizetype(data.size())), {}};
        return {};
    default: return {};
    }
}

// Qt gives a top-down DIB's size with a negative height.
QSize sizeOf(QImageReader& reader)
{
    const QSize size = reader.size();
    const QSize own(std::abs(size.width()), std::abs(size.height()));
    return own.isEmpty() ? QSize() : own;
}

// A reader of a picture kept as an image or a bitmap, over its bytes.
class Decoder {
public:
    explicit Decoder(const BookPicture& picture)
        : m_bytes(picture.form == BookPicture::Form::Bitmap ? qUncompress(picture.bytes)
                                                            : picture.bytes),
          m_buffer(&m_bytes)
    {
        m_buffer.open(QIODevice::ReadOnly);
        m_reader.setDevice(&m_buffer);
        if (picture.form == BookPicture::Form::Bitmap)
            m_reader.setFormat("dib");
        m_reader.setAllocationLimit(kDecodeAllocationMegabytes);
    }
    static bool reads(const BookPicture& picture)
    {
        return picture.form == BookPicture::Form::Image ||
               picture.form == BookPicture::Form::Bitmap;
    }
    QImageReader& reader() { return m_reader; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    QImageReader m_reader;
};

// JPEG decodes at a fraction of its size directly; others are decoded, then scaled.
bool decodesScaled(const BookPicture& picture)
{
    return picture.kind == Kind::Jpeg;
}

qint64 mostSourcePixelsOf(const BookPicture& picture)
{
    return decodesScaled(picture) ? kMostSourcePixels : kMostFullSizePixels;
}

qint64 areaOf(QSize size)
{
    return qint64(size.width()) * size.height();
}

} // namespace

std::vector<BookPicture> keepPictures(std::vector<rtf::Picture>& pictures)
{
    std::vector<BookPicture> kept;
    kept.reserve(pictures.size());
    for (rtf::Picture& picture : pictures) {
        BookPicture book;
        book.kind = picture.kind;
        book.position = picture.position;
        book.widthTwips = picture.width;
        book.heightTwips = picture.height;
        Kept keeping = keptFormOf(picture);
        book.form = keeping.form;
        using Form = BookPicture::Form;
        if (keeping.form == Form::Image || keeping.form == Form::Bitmap) {
            QBuffer buffer(&keeping.bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer, keeping.readerFormat);
            book.pixels = sizeOf(reader);
        }
        // Uncompressed bitmaps and metafiles are the largest pictures a file holds for what they
        // show; PNG and JPEG are compressed already.
        if (keeping.form == Form::Image)
            book.bytes = std::move(keeping.bytes);
        else if (keeping.form != Form::Frame)
            book.bytes = qCompress(keeping.bytes);
        keeping = {};
        std::string().swap(picture.data);
        kept.push_back(std::move(book));
    }
    pictures.clear();
    pictures.shrink_to_fit();
    return kept;
}

bool isQuickToDecode(const BookPicture& picture)
{
    // A picture past the limits is a frame without being decoded.
    const qint64 area = areaOf(picture.pixels);
    return !Decoder::reads(picture) || area <= kMostQuickPixels ||
           area > mostSourcePixelsOf(picture);
}

QImage decodePicture(const BookPicture& picture, QSize pixels)
{
    if (pixels.isEmpty())
        return {};
    if (picture.form == BookPicture::Form::Metafile)
        return playMetafile(picture.kind, qUncompress(picture.bytes), pixels);
    if (!Decoder::reads(picture))
        return {};
    Decoder decoder(picture);
    QImageReader& reader = decoder.reader();
    if (areaOf(sizeOf(reader)) > mostSourcePixelsOf(picture))
        return {};
    if (decodesScaled(picture))
        reader.setScaledSize(pixels);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace velmora
