#pragma once
// A button that shows only a picture, centred and at its own size: a picture larger than the
// button is cut off by the button's edge rather than shrunk, so small buttons keep crisp icons.
// Its tooltip is also its accessible name.

#include <QPixmap>
#include <QToolButton>

namespace velmora {

class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Shows icon at size logical pixels. An .ico file holds several sizes: on a scaled screen
    // the image drawn for as many device pixels is taken, so the picture stays sharp.
    void setPicture(const QIcon& icon, QSize size = QSize(32, 32));
    // The image for the screen the button is on; its device pixel ratio says how it is drawn.
    QPixmap picture() const { return m_picture; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void choosePicture();

    QIcon m_icon;
    QSize m_size;
    QPixmap m_picture;
};

} // namespace velmora
