#include "picture_button.h"

#include <QEvent>
#include <QIcon>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace velmora {

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    // A click puts the focus on the button, as on any push button; Tab reaches it too.
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void PictureButton::setPicture(const QIcon& icon, QSize size)
{
    m_icon = icon;
    m_size = size;
    choosePicture();
    update();
}

void PictureButton::choosePicture()
{
    // An exact size is drawn as it is; only a ratio the files hold no image for (a 16-pixel
    // picture at 150 %) is made by smoothly shrinking the next larger one.
    m_picture = m_icon.isNull() ? QPixmap() : m_icon.pixmap(m_size, devicePixelRatioF());
}

bool PictureButton::event(QEvent* event)
{
    // The button shows no text: a screen reader names it by its tooltip.
    if (event->type() == QEvent::ToolTipChange)
        setAccessibleName(toolTip());
    return QToolButton::event(event);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.icon = QIcon();
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    if (!qFuzzyCompare(m_picture.devicePixelRatio(), devicePixelRatioF()))
        choosePicture(); // moved to a screen of another scale
    if (m_picture.isNull())
        return;
    const QRect inside =
        style()
            ->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton, this)
            .marginsRemoved(QMargins(2, 2, 2, 2));
    QRect target(QPoint(), m_size);
    target.moveCenter(rect().center());
    if (isDown() || isChecked())
        target.translate(1, 1); // the picture sinks with the pressed face
    painter.setClipRect(inside);
    painter.drawPixmap(target.topLeft(), m_picture);
}

} // namespace velmora
