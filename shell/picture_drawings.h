#pragma once
// One picture drawn for several screen scales: the images of an .ico file, or a file a scale.
// A screen scaled by a ratio that a drawing was made for shows that drawing pixel for pixel.
// QIcon would instead shrink the next larger image (the 48-pixel one at 125 %), which blurs.

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>

class QPainter;

namespace velmora {

class PictureDrawings {
public:
    // Every image of the .ico file at path.
    static PictureDrawings fromIcon(const QString& path);

    // A drawing of size pixels in the file at path, read only when it is shown.
    void addFile(const QString& path, QSize size);

    // The picture at size logical pixels on a screen of ratio device pixels to one: the drawing
    // made for that many device pixels, else the next larger one shrunk (the largest grown).
    QPixmap pixmap(QSize size, qreal ratio);
    // The sizes drawn, in pixels.
    QList<QSize> sizes() const;

    // The drawings as an icon for a window, never resampled. On X11 Qt asks for each size the
    // icon offers, at the screen's scale: it offers the sizes at which the scale meets a
    // drawing. Windows names the sizes it wants in device pixels (20 and 40 at 125 %).
    QIcon toWindowIcon() const;

private:
    struct Drawing {
        QSize size;
        QString path; // empty once read
        QImage image;
    };
    Drawing* bestFor(QSize device);

    QList<Drawing> m_drawings;
};

// The device pixels that size logical pixels take at ratio (resources/scales.txt).
QSize devicePixels(QSize size, qreal ratio);

// Draws picture with its top left corner on the device pixel nearest to at (logical), one
// picture pixel to one device pixel: at 125 % a logical position can fall between device
// pixels, and a picture drawn there would be resampled.
void drawPixelForPixel(QPainter& painter, QPointF at, const QPixmap& picture);

} // namespace velmora
