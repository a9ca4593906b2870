#pragma once
// A button that shows only a picture, centred and at its own size: a picture larger than the
// button is cut off by the button's edge rather than shrunk, so small buttons keep crisp icons.

#include <QPixmap>
#include <QToolButton>

namespace velmora {

class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Takes the largest image of icon (an .ico file may hold several sizes).
    void setPicture(const QIcon& icon);
    QPixmap picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace velmora
