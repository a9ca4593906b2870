#pragma once
// A button that shows only a picture, centred and at its own size: a picture larger than the
// button is cut off by the button's edge rather than shrunk, so small buttons keep crisp icons.
// Its tooltip is also its accessible name.

#include "picture_drawings.h"

#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace velmora {

class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Shows the .ico file at path at size logical pixels. The file holds the picture drawn at
    // several sizes: on a scaled screen the one drawn for as many device pixels is shown.
    void setPicture(const QString& path, QSize size = QSize(32, 32));
    // The image for the screen the button is on; its device pixel ratio says how it is drawn.
    QPixmap picture() const { return m_picture; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void choosePicture();

    PictureDrawings m_drawings;
    QSize m_size;
    QPixmap m_picture;
};

// The focus of a picture button, drawn by the panel around it: a white ring just outside the
// button, which stands out from the navy panel (16:1) as the style's own faint focus frame on
// the button's face does not. painter paints on surface, a widget of the button's window that
// lies under the button.
void drawFocusRing(QPainter& painter, const QWidget& surface);

// Everything button draws, its focus ring included, in its parent's coordinates.
QRect drawnArea(const QWidget& button);

} // namespace velmora
