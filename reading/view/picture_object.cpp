#include "picture_object.h"

#include "picture_formats.h"
#include "twips.h"

#include "rtf/pictures.h"

#include <QAbstractTextDocumentLayout>
#include <QFutureWatcher>
#include <QPainter>
#include <QPromise>
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
// A picture that names no size and whose own size cannot be read: a frame of an inch square.
constexpr double kUnknownPixels = 96;
constexpr double kLargestPixels = rtf::kMaxPictureTwips / double(kTwipsPerPixel);

// What a word processor shows for a picture it cannot draw: a thin grey frame of its size, one
// device pixel wide (the painter draws in device pixels), on the picture's own edges. Drawn, not
// kept: its pixels cost nothing.
void drawFrame(QPainter& painter, const QRect& box)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(Qt::gray), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

} // namespace

PictureObject::PictureObject(std::shared_ptr<const Book> book, QObject* parent)
    : QObject(parent), m_book(std::move(book))
{
    m_decoder.setMaxThreadCount(1);
}

PictureObject::~PictureObject()
{
    m_decoder.clear();
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
    const BookPicture& picture = m_book->pictures()[index];
    double width = twipsToExactPixels(picture.widthTwips);
    double height = twipsToExactPixels(picture.heightTwips);
    if (width <= 0 || height <= 0) {
        // No size from the file: the picture's own, at a screen's 96 dots per inch, keeping
        // whichever side the file gives.
        QSizeF own(picture.pixels);
        if (own.isEmpty())
            own = QSizeF(kUnknownPixels, kUnknownPixels);
        if (width > 0)
            height = own.height() * width / own.width();
        else if (height > 0)
            width = own.width() * height / own.height();
        else
            std::tie(width, height) = std::pair(own.width(), own.height());
    }
    return {std::clamp(width, 1.0, kLargestPixels), std::clamp(height, 1.0, kLargestPixels)};
}

QSizeF PictureObject::intrinsicSize(QTextDocument*, int, const QTextFormat& format)
{
    const auto index = format.property(kPictureIndex).toULongLong();
    if (index >= m_book->pictures().size())
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

const QImage* PictureObject::cached(std::size_t index, QSize pixels)
{
    const auto found = std::find_if(m_decoded.begin(), m_decoded.end(), [&](const Decoded& d) {
        return d.index == index && d.pixels == pixels;
    });
    if (found != m_decoded.end()) {
        m_decoded.splice(m_decoded.begin(), m_decoded, found);
        return &m_decoded.front().image;
    }
    const BookPicture& picture = m_book->pictures()[index];
    if (!isQuickToDecode(picture)) {
        decodeAside({index, pixels});
        return nullptr;
    }
    keep({index, pixels}, decodePicture(picture, pixels));
    return &m_decoded.front().image;
}

void PictureObject::keep(const Key& key, QImage image)
{
    m_decoded.push_front({key.first, key.second, std::move(image)});
    m_decodedBytes += static_cast<std::size_t>(m_decoded.front().image.sizeInBytes());
    while (m_decodedBytes > kDecodedPictureBytes && m_decoded.size() > 1) {
        m_decodedBytes -= static_cast<std::size_t>(m_decoded.back().image.sizeInBytes());
        m_decoded.pop_back();
    }
}

void PictureObject::decodeAside(const Key& key)
{
    if (std::find(m_decoding.begin(), m_decoding.end(), key) != m_decoding.end())
        return;
    m_decoding.push_back(key);
    auto promise = std::make_shared<QPromise<QImage>>();
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, key] {
        std::erase(m_decoding, key);
        keep(key, watcher->future().resultCount() > 0 ? watcher->result() : QImage());
        watcher->deleteLater();
        if (auto* layout = qobject_cast<QAbstractTextDocumentLayout*>(parent()))
            emit layout->update();
    });
    watcher->setFuture(promise->future());
    // The task holds the book, not this object, which may be gone when it ends.
    m_decoder.start([promise, book = m_book, key] {
        promise->start();
        promise->addResult(decodePicture(book->pictures()[key.first], key.second));
        promise->finish();
    });
}

void PictureObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                               const QTextFormat& format)
{
    const auto index = format.property(kPictureIndex).toULongLong();
    if (index >= m_book->pictures().size() || rect.isEmpty())
        return;
    // Drawn in the device's own pixels, on whole ones: the picture pixel for pixel, its size
    // the same wherever its line falls, its frame's edges one pixel wide at any scale.
    const QTransform toDevice = painter->deviceTransform();
    if (toDevice.type() > QTransform::TxScale)
        return; // turned or sheared: no painter of this program's does that
    const QSizeF size = sizeOf(index);
    const QPointF corner = toDevice.map(rect.topLeft());
    const QRect target(QPoint(qRound(corner.x()), qRound(corner.y())),
                       QSize(std::max(1, qRound(size.width() * toDevice.m11())),
                             std::max(1, qRound(size.height() * toDevice.m22()))));
    QSize pixels = target.size();
    const qint64 area = qint64(pixels.width()) * pixels.height();
    if (area > kMostPicturePixels) {
        const double shrink = std::sqrt(double(kMostPicturePixels) / double(area));
        pixels = QSize(std::max(1, int(pixels.width() * shrink)),
                       std::max(1, int(pixels.height() * shrink)));
    }
    const QImage* image = cached(index, pixels);
    if (!image)
        return; // in a moment
    painter->save();
    painter->setWorldTransform(toDevice.inverted() * painter->worldTransform());
    if (image->isNull())
        drawFrame(*painter, target);
    else
        painter->drawImage(target, *image);
    painter->restore();
}

} // namespace velmora
