#pragma once
// frmRrethProg: the About window with the program's title and credits. A click on the window,
// on its picture area Picture1 (lines included) or on Command1 closes it; labels keep clicks.

#include <QDialog>

class QLabel;
class QFrame;

namespace velmora {

class PictureButton;

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{349, 300}; // 5235 x 4500 twips

    explicit AboutWindow(QWidget* parent = nullptr);

    void Command1_Click();
    void Form_Click();
    void Picture1_Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void keepTextsUncovered();
    QLabel* label(int index) const;

    QWidget* Picture1 = nullptr;
    PictureButton* Command1 = nullptr;
    QList<QLabel*> m_labels;
    // A click is a press and a release of the left button on the same surface.
    QObject* m_pressedOn = nullptr;
};

} // namespace velmora
