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

// What a decoder may allocate for one picture, in megabytes: the largest picture decoded at its
// full size before it is scaled.
constexpr int kDecodeAllocationMegabytes = 256;
// A picture of more pixels than this (256 MB at four bytes a pixel) is not decoded at all: the
// decoder would read every row of it, for seconds, even to scale it down. No book's picture has
// half as many; a file that claims more (a PNG of 30,000 by 30,000 pixels) is shown as a frame.
constexpr qint64 kMostSourcePixels = 8192 * 8192;
constexpr int kInfoHeaderBytes = 40; // BITMAPINFOHEADER

QByteArray compressed(std::string_view data)
{
    return qCompress(reinterpret_cast<const uchar*>(data.data()),
                     static_cast<qsizetype>(data.size()));
}

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

// The form a picture is kept in, and its bytes.
std::pair<BookPicture::Form, QByteArray> keptFormOf(const rtf::Picture& picture)
{
    using Form = BookPicture::Form;
    const std::string_view data = picture.data;
    if (data.empty())
        return {Form::Frame, {}};
    switch (picture.kind) {
    case Kind::Png:
    case Kind::Jpeg: return {Form::Image, QByteArray(data.data(), qsizetype(data.size()))};
    // Uncompressed bitmaps are the largest pictures a file holds, for the fewest pixels.
    case Kind::Dib: return {Form::Bitmap, compressed(data)};
    case Kind::DeviceBitmap: {
        const QByteArray dib = dibOfDeviceBitmap(picture);
        return dib.isEmpty() ? std::pair(Form::Frame, QByteArray())
                             : std::pair(Form::Bitmap, qCompress(dib));
    }
    case Kind::Wmf:
        if (const std::string_view dib = onlyBitmapOf(data); !dib.empty())
            return {Form::Bitmap, compressed(dib)};
        [[fallthrough]];
    case Kind::Emf:
        // A metafile nothing here can play is no more than its frame.
        if (playsMetafiles())
            return {Form::Metafile, compressed(data)};
        return {Form::Frame, {}};
    default: return {Form::Frame, {}};
    }
}

// Qt gives a top-down DIB's size with a negative height.
QSize sizeOf(QImageReader& reader)
{
    const QSize size = reader.size();
    return QSize(std::abs(size.width()), std::abs(size.height()));
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
        std::tie(book.form, book.bytes) = keptFormOf(picture);
        std::string().swap(picture.data);
        kept.push_back(std::move(book));
    }
    pictures.clear();
    pictures.shrink_to_fit();
    return kept;
}

QSize ownPixelsOf(const BookPicture& picture)
{
    if (!Decoder::reads(picture))
        return {};
    const QSize own = sizeOf(Decoder(picture).reader());
    return own.isEmpty() ? QSize() : own;
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
    const QSize source = sizeOf(reader);
    if (qint64(source.width()) * source.height() > kMostSourcePixels)
        return {};
    // JPEG decodes at a fraction of its size directly; others are decoded, then scaled.
    if (reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(pixels);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace velmora
