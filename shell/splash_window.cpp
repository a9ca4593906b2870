#include "splash_window.h"

#include "picture_scales.h"
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
    // The picture, made for a window with a border, is one pixel wider and higher than the
    // window; it is drawn anew for each scale, so that no screen shows it resampled.
    for (const int percent : kScalePercents) {
        const qreal scale = percent / 100.0;
        const QString name = percent == 100 ? "splash.bmp" : QString("splash@%1x.png").arg(scale);
        m_drawings.addFile(":/pictures/" + name, devicePixels(kPictureSize, scale));
    }
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

const QPixmap& SplashWindow::picture()
{
    const qreal ratio = devicePixelRatioF();
    if (m_picture.isNull() || !qFuzzyCompare(m_picture.devicePixelRatio(), ratio))
        m_picture = m_drawings.pixmap(kPictureSize, ratio);
    return m_picture;
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Under the picture lies the colour of menu text; it shows only
    // if the picture could not be read.
    painter.fillRect(rect(), QApplication::palette("QMenu").color(QPalette::WindowText));
    painter.drawPixmap(0, 0, picture());
    if (!m_painted) {
        m_painted = true;
        logTimingAfterPaint("splash painted");
    }
}

} // namespace velmora
