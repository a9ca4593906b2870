#pragma once
// frmMain: the program's main window and start object. A narrow panel of controls on the left,
// the book view Rtf1 filling the rest. Control and handler names are the program's own.

#include <QWidget>

#include <chrono>

class QComboBox;
class QLabel;
class QMenu;
class QAction;

namespace velmora {

struct BookFileOutcome;
class PictureButton;
class RichTextView;
class SearchBox;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds kSplashPause{3};
    static constexpr QSize kClientSize{449, 426}; // 6735 x 6390 twips
    inline static const QString kBookFileName = QStringLiteral("Velmora.rtf");

    // Creates the window hidden, in its initial state. splashPause is the least time the splash
    // stays alone on the screen; tests shorten it.
    explicit MainWindow(std::chrono::milliseconds splashPause = kSplashPause,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // The whole start-up: splash, window shown, book loaded. False when the book could not be
    // loaded: the user has been told in a message box and the window is hidden again, so the
    // program should end with a failure status.
    bool Form_Load();
    void Splash();
    // Runs on the first showing and after each return from the About window: never on other
    // activations (another program, a message box, the popup menu), so it is called explicitly.
    void Form_Activate();
    void Form_Resize();
    void addItemCmbNrHadith();
    void addNrFontToCombo();

    void cmdFund_Click();
    void cmdRrethProg_Click();
    void cmbNrHadithi_Click();
    void kerkoje();
    void cmdKerkim_Click();
    void txtKerkim_KeyPress(int& keyAscii);
    void txtKerkim_GotFocus();
    void cmdFillimDoc_Click();
    void cmdFundDoc_Click();
    void CmbNrFonti_Click();
    void cmdCopy_Click();
    void Rtf1_MouseUp(int button, int shift, int x, int y);
    // The menu key or Shift+F10 in the view: the same menu, at the caret.
    void Rtf1_KeyboardMenu(QPoint at);
    void mnuSelektoKrejtTekstin_Click();
    void mnuKopjim_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // The one message that the book cannot be shown, and the window gone.
    void reportBookFailure(const BookFileOutcome& outcome);
    void createControls();
    void connectHandlers();
    void paintWithEmptyView();

    std::chrono::milliseconds m_splashPause;

    PictureButton* cmdFund = nullptr;
    PictureButton* cmdRrethProg = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* cmbNrHadithi = nullptr;
    PictureButton* cmdFillimDoc = nullptr;
    PictureButton* cmdFundDoc = nullptr;
    QLabel* Label3 = nullptr;
    SearchBox* txtKerkim = nullptr;
    PictureButton* cmdKerkim = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* CmbNrFonti = nullptr;
    PictureButton* cmdCopy = nullptr;
    RichTextView* Rtf1 = nullptr;
    QMenu* mnuPopupRtf = nullptr;
    QAction* mnuSelektoKrejtTekstin = nullptr;
    QAction* mnuKopjim = nullptr;
};

} // namespace velmora
