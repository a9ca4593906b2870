#include "splash_window.h"

#include "timing_log.h"
#include "window_style.h"

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
    moveToCentre(*this, size(), target->geometry());
}

const QPixmap& SplashWindow::pictureFor(qreal ratio)
{
    if (ratio <= 1.0)
        return m_picture;
    if (qFuzzyCompare(m_sharp.devicePixelRatio(), ratio))
        return m_sharp;
    // QPixmap takes the ratio 2 from the "@2x" in the name. At other ratios the large picture
    // is shrunk once, smoothly, to whole device pixels, rather than on every paint.
    m_sharp = QPixmap(QStringLiteral(":/pictures/splash@2x.bmp"));
    if (m_sharp.isNull())
        return m_picture;
    if (!qFuzzyCompare(ratio, m_sharp.devicePixelRatio())) {
        m_sharp = m_sharp.scaled((QSizeF(m_picture.size()) * ratio).toSize(), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
        m_sharp.setDevicePixelRatio(ratio);
    }
    return m_sharp;
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Under the picture lies the colour of menu text; it shows only
    // if the picture could not be read.
    painter.fillRect(rect(), QApplication::palette("QMenu").color(QPalette::WindowText));
    painter.drawPixmap(0, 0, pictureFor(devicePixelRatioF()));
    if (!m_painted) {
        m_painted = true;
        logTimingAfterPaint("splash painted");
    }
}

} // namespace velmora
