#pragma once
// frmSplash1: the borderless start-up picture, shown alone while the program starts.

#include "picture_drawings.h"

#include <QPixmap>
#include <QWidget>

namespace velmora {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{487, 297}; // 7305 x 4455 twips
    static constexpr QSize kPictureSize{488, 298};

    explicit SplashWindow(QWidget* parent = nullptr);

    // Puts the window in the middle of the screen it will appear on.
    void centreOnScreen();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The drawing for the screen the window is on.
    const QPixmap& picture();

    PictureDrawings m_drawings;
    QPixmap m_picture;
    bool m_painted = false;
};

} // namespace velmora
