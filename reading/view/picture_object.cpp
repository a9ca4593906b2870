#include "picture_object.h"

#include "picture_player.h"
#include "twips.h"

#include "rtf/pictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QTextCharFormat>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Decoded pictures kept for drawing again, in bytes: the pictures of a screen or two at the
// highest scale. Pictures drawn longest ago are let go first.
constexpr std::size_t kDecodedPictureBytes = 48u << 20;
// A picture is decoded at no more pixels than this (64 MB); a larger one is drawn enlarged.
// Only a picture of the largest size at a screen scale of over 200 % comes near it.
constexpr qint64 kMostPicturePixels = 4096 * 4096;
// What a decoder may allocate for one picture, in megabytes: the largest picture decoded at its
// full size before it is scaled.
constexpr int kDecodeAllocationMegabytes = 256;
// A picture of more pixels than this (256 MB at four bytes a pixel) is not decoded at all: the
// decoder would read every row of it, for seconds, even to scale it down. No book's picture has
// half as many; a file that claims more (a PNG of 30,000 by 30,000 pixels) is shown as a frame.
constexpr qint64 kMostSourcePixels = 8192 * 8192;
// A picture that names no size and whose own size cannot be read: a frame of an inch square.
constexpr double kUnknownPixels = 96;
constexpr double kLargestPixels = rtf::kMaxPictureTwips / double(kTwipsPerPixel);

QByteArray uncompressed(const BookPicture& picture)
{
    return qUncompress(picture.bytes);
}

// A decoder of a picture kept as an image or a bitmap, over its bytes.
class Decoder {
public:
    explicit Decoder(const BookPicture& picture)
        : m_bytes(picture.form == BookPicture::Form::Bitmap ? uncompressed(picture)
                                                            : picture.bytes),
          m_buffer(&m_bytes)
    {
        m_buffer.open(QIODevice::ReadOnly);
        m_reader.setDevice(&m_buffer);
        if (picture.form == BookPicture::Form::Bitmap)
            m_reader.setFormat("bmp");
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

// What a word processor shows for a picture it cannot draw: a thin grey frame of its size, one
// device pixel wide, drawn as a picture is so that its edges are the picture's.
QImage frameOf(QSize pixels)
{
    QImage frame(pixels, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setPen(QColor(Qt::gray));
    painter.drawRect(0, 0, pixels.width() - 1, pixels.height() - 1);
    return frame;
}

} // namespace

PictureObject::PictureObject(std::shared_ptr<const Book> book, QObject* parent)
    : QObject(parent), m_book(std::move(book)), m_sizes(m_book->pictures().size())
{
}

QTextCharFormat PictureObject::formatOf(const QTextCharFormat& run, std::size_t index)
{
    QTextCharFormat format = run;
    format.setObjectType(kPictureObject);
    format.setProperty(kPictureIndex, static_cast<qulonglong>(index));
    return format;
}

QSizeF PictureObject::sizeOf(std::size_t index) const
{
    QSizeF& size = m_sizes[index];
    if (!size.isEmpty())
        return size;
    const BookPicture& picture = m_book->pictures()[index];
    double width = twipsToExactPixels(picture.widthTwips);
    double height = twipsToExactPixels(picture.heightTwips);
    if (width <= 0 || height <= 0) {
        // No size from the file: the picture's own, at a screen's 96 dots per inch, keeping
        // whichever side the file gives.
        QSizeF own;
        if (Decoder::reads(picture))
            own = QSizeF(Decoder(picture).reader().size());
        if (own.isEmpty())
            own = QSizeF(kUnknownPixels, kUnknownPixels);
        if (width > 0)
            height = own.height() * width / own.width();
        else if (height > 0)
            width = own.width() * height / own.height();
        else
            std::tie(width, height) = std::pair(own.width(), own.height());
    }
    size = QSizeF(std::clamp(width, 1.0, kLargestPixels), std::clamp(height, 1.0, kLargestPixels));
    return size;
}

QSizeF PictureObject::intrinsicSize(QTextDocument*, int, const QTextFormat& format)
{
    const auto index = format.property(kPictureIndex).toULongLong();
    if (index >= m_sizes.size())
        return {};
    return sizeOf(index);
}

PictureObject::Span PictureObject::picturesIn(int from, int to) const
{
    const std::vector<BookPicture>& pictures = m_book->pictures();
    Span span;
    const auto first =
        std::lower_bound(pictures.begin(), pictures.end(), from,
                         [](const BookPicture& picture, int at) { return picture.position < at; });
    for (auto it = first; it != pictures.end() && it->position < to; ++it) {
        ++span.count;
        span.height += sizeOf(static_cast<std::size_t>(it - pictures.begin())).height();
    }
    return span;
}

QImage PictureObject::decode(std::size_t index, QSize pixels)
{
    const BookPicture& picture = m_book->pictures()[index];
    QImage image;
    if (picture.form == BookPicture::Form::Metafile) {
        image = playMetafile(picture.kind, uncompressed(picture), pixels);
    } else {
        if (!Decoder::reads(picture))
            return {};
        Decoder decoder(picture);
        QImageReader& reader = decoder.reader();
        const QSize source = reader.size();
        if (qint64(source.width()) * source.height() > kMostSourcePixels)
            return {};
        // JPEG decodes at a fraction of its size directly; others are decoded, then scaled.
        if (reader.supportsOption(QImageIOHandler::ScaledSize))
            reader.setScaledSize(pixels);
        image = reader.read();
    }
    if (!image.isNull() && image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

const QImage* PictureObject::cached(std::size_t index, QSize pixels)
{
    const auto found = std::find_if(m_decoded.begin(), m_decoded.end(), [&](const Decoded& d) {
        return d.index == index && d.pixels == pixels;
    });
    if (found != m_decoded.end()) {
        m_decoded.splice(m_decoded.begin(), m_decoded, found);
        return &m_decoded.front().image;
    }
    QImage image = decode(index, pixels);
    if (image.isNull())
        image = frameOf(pixels);
    m_decoded.push_front({index, pixels, std::move(image)});
    m_decodedBytes += static_cast<std::size_t>(m_decoded.front().image.sizeInBytes());
    while (m_decodedBytes > kDecodedPictureBytes && m_decoded.size() > 1) {
        m_decodedBytes -= static_cast<std::size_t>(m_decoded.back().image.sizeInBytes());
        m_decoded.pop_back();
    }
    return &m_decoded.front().image;
}

void PictureObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                               const QTextFormat& format)
{
    const auto index = format.property(kPictureIndex).toULongLong();
    if (index >= m_sizes.size() || rect.isEmpty())
        return;
    const double ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    // On whole device pixels, so that the picture is drawn pixel for pixel.
    const QPointF corner(std::round(rect.x() * ratio) / ratio,
                         std::round(rect.y() * ratio) / ratio);
    QSize pixels(std::max(1, qRound(rect.width() * ratio)),
                 std::max(1, qRound(rect.height() * ratio)));
    const QRectF target(corner, QSizeF(pixels) / ratio);
    const qint64 area = qint64(pixels.width()) * pixels.height();
    if (area > kMostPicturePixels) {
        const double shrink = std::sqrt(double(kMostPicturePixels) / double(area));
        pixels = QSize(std::max(1, int(pixels.width() * shrink)),
                       std::max(1, int(pixels.height() * shrink)));
    }
    const QImage* image = cached(index, pixels);
    painter->drawImage(target, *image);
}

} // namespace velmora
