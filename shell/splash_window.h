#pragma once
// frmSplash1: the borderless start-up picture, shown alone while the program starts.

#include <QPixmap>
#include <QWidget>

namespace velmora {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{487, 297}; // 7305 x 4455 twips

    explicit SplashWindow(QWidget* parent = nullptr);

    // Puts the window in the middle of the screen it will appear on.
    void centreOnScreen();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& pictureFor(qreal ratio);

    QPixmap m_picture;
    QPixmap m_sharp; // for a scaled screen, made when first painted there
    bool m_painted = false;
};

} // namespace velmora
