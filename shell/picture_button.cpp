#include "picture_button.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace velmora {

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    // A click puts the focus on the button, as on any push button; Tab reaches it too.
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void PictureButton::setPicture(const QString& path, QSize size)
{
    m_drawings = PictureDrawings::fromIcon(path);
    m_size = size;
    choosePicture();
    update();
}

void PictureButton::choosePicture()
{
    m_picture = m_drawings.pixmap(m_size, devicePixelRatioF());
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
    QPointF corner = QRectF(rect()).center() - QPointF(m_size.width(), m_size.height()) / 2;
    if (isDown() || isChecked())
        corner += QPointF(1, 1); // the picture sinks with the pressed face
    painter.setClipRect(inside);
    drawPixelForPixel(painter, corner, m_picture);
}

void PictureButton::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the focused button, as Space does, as on Windows.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QToolButton::keyPressEvent(event);
}

namespace {

// How far outside the button the ring stands, and how thick it is.
constexpr int kRingGap = 1;
constexpr int kRingWidth = 2;

} // namespace

QRect drawnArea(const QWidget& button)
{
    const int outside = kRingGap + kRingWidth;
    return button.geometry().adjusted(-outside, -outside, outside, outside);
}

void PictureButton::focusInEvent(QFocusEvent* event)
{
    QToolButton::focusInEvent(event);
    if (parentWidget())
        parentWidget()->update(drawnArea(*this));
}

void PictureButton::focusOutEvent(QFocusEvent* event)
{
    QToolButton::focusOutEvent(event);
    if (parentWidget())
        parentWidget()->update(drawnArea(*this));
}

void drawFocusRing(QPainter& painter, const QWidget& surface)
{
    const auto* focused = qobject_cast<const PictureButton*>(QApplication::focusWidget());
    if (!focused || focused->window() != surface.window() || !focused->isVisible())
        return;
    const QRect button(surface.mapFromGlobal(focused->mapToGlobal(QPoint(0, 0))), focused->size());
    const QRect inner = button.adjusted(-kRingGap, -kRingGap, kRingGap, kRingGap);
    const int outside = kRingGap + kRingWidth;
    const QRegion ring =
        QRegion(button.adjusted(-outside, -outside, outside, outside)).subtracted(inner);
    for (const QRect& part : ring)
        painter.fillRect(part, Qt::white);
}

} // namespace velmora
