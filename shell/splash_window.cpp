#include "splash_window.h"

#include "timing_log.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>

namespace velmora {

SplashWindow::SplashWindow(QWidget* parent)
    // A splash-screen window has no frame and no taskbar button.
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash1"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(kClientSize);
    // The picture is one pixel wider and higher than the window: its last column and row are
    // cut off, as the picture was made for a window with a border.
    m_picture = QPixmap(QStringLiteral(":/pictures/splash.bmp"));
    // The whole window is covered by the picture; nothing behind it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SplashWindow::centreOnScreen()
{
    const QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    QRect frame(QPoint(), size());
    frame.moveCenter(target->geometry().center());
    move(frame.topLeft());
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Under the picture lies the colour of menu text; it shows only
    // if the picture could not be read.
    painter.fillRect(rect(), QApplication::palette("QMenu").color(QPalette::WindowText));
    painter.drawPixmap(0, 0, m_picture);
    if (!m_painted) {
        m_painted = true;
        logTimingAfterPaint("splash painted");
    }
}

} // namespace velmora
