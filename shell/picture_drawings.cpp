#include "picture_drawings.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace velmora {

PictureDrawings PictureDrawings::fromIcon(const QString& path)
{
    PictureDrawings drawings;
    QImageReader reader(path);
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        if (!image.isNull())
            drawings.m_drawings.append({image.size(), {}, image});
    }
    return drawings;
}

void PictureDrawings::addFile(const QString& path, QSize size)
{
    m_drawings.append({size, path, {}});
}

PictureDrawings::Drawing* PictureDrawings::bestFor(QSize device)
{
    const auto area = [](QSize s) { return qint64(s.width()) * s.height(); };
    Drawing* larger = nullptr; // the smallest that covers the device pixels
    Drawing* largest = nullptr;
    for (Drawing& drawing : m_drawings) {
        if (drawing.size == device)
            return &drawing;
        const bool covers =
            drawing.size.width() >= device.width() && drawing.size.height() >= device.height();
        if (covers && (!larger || area(drawing.size) < area(larger->size)))
            larger = &drawing;
        if (!largest || area(drawing.size) > area(largest->size))
            largest = &drawing;
    }
    return larger ? larger : largest;
}

QPixmap PictureDrawings::pixmap(QSize size, qreal ratio)
{
    const QSize device = devicePixels(size, ratio);
    Drawing* const best = bestFor(device);
    if (!best)
        return {};
    if (!best->path.isEmpty()) {
        best->image = QImage(best->path);
        best->path.clear();
    }
    if (best->image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(
        best->image.size() == device
            ? best->image
            : best->image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

namespace {

class DrawingsIconEngine : public QIconEngine {
public:
    explicit DrawingsIconEngine(PictureDrawings drawings) : m_drawings(std::move(drawings)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return m_drawings.pixmap(size, 1.0);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, m_drawings.pixmap(rect.size(), ratio));
    }

    // The sizes, in logical pixels, that the application's scale turns into drawn ones.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
        const QList<QSize> drawnSizes = m_drawings.sizes();
        QList<QSize> sizes;
        for (const QSize drawn : drawnSizes) {
            const QSizeF logical = QSizeF(drawn) / ratio;
            if (logical == QSizeF(logical.toSize()))
                sizes << logical.toSize();
        }
        return sizes.isEmpty() ? drawnSizes : sizes;
    }

    // Asked in device pixels (QIcon multiplies by the scale): the largest drawing that fits.
    // QIcon divides it down to the size asked for, so Windows, which names its own device
    // pixels (20 at 125 %), gets that size and then its drawing.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        QSize best;
        for (const QSize drawn : m_drawings.sizes())
            if (drawn.width() <= size.width() && drawn.height() <= size.height() &&
                drawn.width() > best.width())
                best = drawn;
        return best.isValid() ? best : size;
    }

    QIconEngine* clone() const override { return new DrawingsIconEngine(*this); }

private:
    PictureDrawings m_drawings;
};

} // namespace

QList<QSize> PictureDrawings::sizes() const
{
    QList<QSize> sizes;
    for (const Drawing& drawing : m_drawings)
        sizes << drawing.size;
    return sizes;
}

QIcon PictureDrawings::toWindowIcon() const
{
    return QIcon(new DrawingsIconEngine(*this));
}

QSize devicePixels(QSize size, qreal ratio)
{
    return size * ratio; // rounded as Qt rounds (resources/scales.txt): 298 * 1.25 is 373
}

void drawPixelForPixel(QPainter& painter, QPointF at, const QPixmap& picture)
{
    const QTransform toDevice = painter.deviceTransform();
    const QPointF device = toDevice.map(at);
    const QPointF snapped(std::round(device.x()), std::round(device.y()));
    painter.drawPixmap(toDevice.inverted().map(snapped), picture);
}

} // namespace velmora
