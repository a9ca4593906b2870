#include "window_style.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace velmora {

namespace {

// Centres its window again on the window's first showing, then goes.
class CentreOnFirstShow : public QObject {
public:
    CentreOnFirstShow(QWidget& window, QSize size) : QObject(&window), m_size(size)
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            auto* window = static_cast<QWidget*>(watched);
            if (const QScreen* target = QGuiApplication::primaryScreen())
                moveToCentre(*window, m_size, target->availableGeometry());
            deleteLater();
        }
        return false;
    }

private:
    QSize m_size;
};

} // namespace

void moveToCentre(QWidget& window, QSize size, const QRect& area)
{
    const QWindow* handle = window.windowHandle();
    const QMargins frameMargins = handle ? handle->frameMargins() : QMargins();
    QRect frame(QPoint(), size.grownBy(frameMargins));
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

void centreOnScreen(QWidget& window, QSize size)
{
    if (const QScreen* target = QGuiApplication::primaryScreen())
        moveToCentre(window, size, target->availableGeometry());
    new CentreOnFirstShow(window, size);
}

} // namespace velmora
