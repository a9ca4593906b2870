#include "picture_button.h"

#include <QIcon>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include <algorithm>

namespace velmora {

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    // A click puts the focus on the button, as on any push button; Tab reaches it too.
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void PictureButton::setPicture(const QIcon& icon)
{
    const QList<QSize> sizes = icon.availableSizes();
    const auto largest = std::max_element(sizes.begin(), sizes.end(), [](QSize a, QSize b) {
        return a.width() * a.height() < b.width() * b.height();
    });
    m_picture = largest == sizes.end() ? QPixmap() : icon.pixmap(*largest);
    // The picture is drawn at its own pixel size, whatever the screen's scale factor.
    m_picture.setDevicePixelRatio(1.0);
    update();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.icon = QIcon();
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    if (m_picture.isNull())
        return;
    const QRect inside = style()->subControlRect(QStyle::CC_ToolButton, &option,
                                                 QStyle::SC_ToolButton, this)
                             .marginsRemoved(QMargins(2, 2, 2, 2));
    QRect target(QPoint(), m_picture.size());
    target.moveCenter(rect().center());
    if (isDown() || isChecked())
        target.translate(1, 1); // the picture sinks with the pressed face
    painter.setClipRect(inside);
    painter.drawPixmap(target.topLeft(), m_picture);
}

} // namespace velmora
