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
// A picture of up to this many pixels decodes within some 5 ms: a paint may wait for it.
constexpr qint64 kMostQuickPixels = 1024 * 1024;

// \wbitmap: the bits of a device-dependent bitmap, rows top down, each picwbpl bytes, which no
// reader reads: kept as a PNG. The monochrome and the true-colour ones need no device palette;
// others are not read. Empty when the rows the picture claims are not all there.
QByteArray pngOfDeviceBitmap(const rtf::Picture& picture)
{
    const qint64 width = picture.sourceWidth;
    const qint64 height = picture.sourceHeight;
    const int bits = picture.bitsPerPixel == 0 ? 1 : picture.bitsPerPixel;
    const QImage::Format format = bits == 1    ? QImage::Format_Mono
                                  : bits == 24 ? QImage::Format_BGR888
                                  : bits == 32 ? QImage::Format_RGB32
                                               : QImage::Format_Invalid;
    if (width <= 0 || height <= 0 || format == QImage::Format_Invalid)
        return {};
    const qint64 rowBytes = (width * bits + 7) / 8;
    const qint64 stride = picture.bytesPerLine > 0 ? picture.bytesPerLine : (rowBytes + 1) / 2 * 2;
    const auto size = qint64(picture.data.size());
    if (stride < rowBytes || stride > size || height > size / stride)
        return {};
    QImage rows(reinterpret_cast<const uchar*>(picture.data.data()), int(width), int(height),
                qsizetype(stride), format);
    rows.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)}); // as on a monochrome device
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    return rows.save(&buffer, "PNG") ? png : QByteArray();
}

// libpng reads an ancillary chunk (text, a colour profile) whole, into memory of the length it
// claims, up to 2 GB: a PNG whose chunk claims more than the picture holds is damaged, a frame.
// Image data is read as it comes, and a PNG cut short in it shows what it holds.
bool pngChunksFit(std::string_view png)
{
    constexpr std::size_t kSignatureBytes = 8;
    constexpr std::size_t kChunkBytes = 12; // length, type and checksum around the data
    for (std::size_t at = kSignatureBytes; at + kChunkBytes <= png.size();) {
        const auto byte = [&](std::size_t i) { return uint64_t(uint8_t(png[at + i])); };
        const uint64_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        const std::string_view type = png.substr(at + 4, 4);
        if (type == "IEND" || type == "IDAT")
            return true;
        if (length > png.size() - at - kChunkBytes)
            return false;
        at += kChunkBytes + length;
    }
    return true;
}

// How a picture is kept: its form, and its bytes (of a bitmap or a metafile, a view into the
// model's, compressed before they go).
struct Kept {
    BookPicture::Form form = BookPicture::Form::Frame;
    QByteArray bytes;
};

// What Qt is told the bytes are: a bitmap kept without its file header, "dib"; else "" to tell
// by the bytes.
const char* readerFormatOf(BookPicture::Form form)
{
    return form == BookPicture::Form::Bitmap ? "dib" : "";
}

Kept keptFormOf(const rtf::Picture& picture)
{
    using Form = BookPicture::Form;
    const std::string_view data = picture.data;
    if (data.empty())
        return {};
    switch (picture.kind) {
    case Kind::Png:
        if (!pngChunksFit(data))
            return {};
        [[fallthrough]];
    case Kind::Jpeg: return {Form::Image, QByteArray(data.data(), qsizetype(data.size()))};
    case Kind::Dib:
        return {Form::Bitmap, QByteArray::fromRawData(data.data(), qsizetype(data.size()))};
    case Kind::DeviceBitmap: {
        QByteArray png = pngOfDeviceBitmap(picture);
        return png.isEmpty() ? Kept() : Kept{Form::Image, std::move(png)};
    }
    case Kind::Wmf:
        if (const std::string_view dib = onlyBitmapOf(data); !dib.empty())
            return {Form::Bitmap, QByteArray::fromRawData(dib.data(), qsizetype(dib.size()))};
        [[fallthrough]];
    case Kind::Emf:
        // A metafile nothing here can play is no more than its frame.
        if (playsMetafiles())
            return {Form::Metafile, QByteArray::fromRawData(data.data(), qsizetype(data.size()))};
        return {};
    default: return {};
    }
}

// The picture's own size, from the header of its bytes (format "" to tell by the bytes); Qt
// gives a top-down DIB's height as negative.
QSize headerSizeOf(QByteArray bytes, const QByteArray& format)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer, format).size();
    const QSize own(std::abs(size.width()), std::abs(size.height()));
    return own.isEmpty() ? QSize() : own;
}

bool isDecoded(const BookPicture& picture)
{
    return picture.form == BookPicture::Form::Image || picture.form == BookPicture::Form::Bitmap;
}

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
        if (isDecoded(book))
            book.pixels = headerSizeOf(keeping.bytes, readerFormatOf(keeping.form));
        // Uncompressed bitmaps and metafiles are the largest pictures a file holds for what they
        // show; PNG and JPEG are compressed already.
        if (keeping.form == BookPicture::Form::Image)
            book.bytes = std::move(keeping.bytes);
        else if (keeping.form != BookPicture::Form::Frame)
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
    return !isDecoded(picture) || area <= kMostQuickPixels || area > mostSourcePixelsOf(picture);
}

QImage decodePicture(const BookPicture& picture, QSize pixels)
{
    if (pixels.isEmpty())
        return {};
    if (picture.form == BookPicture::Form::Metafile)
        return playMetafile(picture.kind, qUncompress(picture.bytes), pixels);
    if (!isDecoded(picture) || areaOf(picture.pixels) > mostSourcePixelsOf(picture))
        return {};
    QByteArray bytes =
        picture.form == BookPicture::Form::Bitmap ? qUncompress(picture.bytes) : picture.bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, readerFormatOf(picture.form));
    reader.setAllocationLimit(kDecodeAllocationMegabytes);
    if (decodesScaled(picture))
        reader.setScaledSize(pixels);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace velmora
