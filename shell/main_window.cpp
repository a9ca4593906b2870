#include "main_window.h"

#include "about_window.h"
#include "event_wait.h"
#include "message_box.h"
#include "picture_button.h"
#include "picture_drawings.h"
#include "search_box.h"
#include "splash_window.h"
#include "timing_log.h"
#include "wheel_guard.h"
#include "window_style.h"
#include "wording.h"

#include "hadith_jump.h"
#include "rich_text_view.h"
#include "text_search.h"
#include "twips.h"
#include "view_commands.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QSignalBlocker>
#include <QWindow>

#include <cmath>
#include <memory>

namespace velmora {

namespace {

const QColor kSearchButtonFace(192, 192, 192);

// How long the start-up waits for the window system to put the new main window on the screen
// before painting it; a window that is not mapped by then is painted when it is.
constexpr std::chrono::milliseconds kExposeWait{250};

const QStringList& textSizes()
{
    static const QStringList sizes = [] {
        QStringList list;
        for (int points = 6; points <= 26; ++points)
            list << QString::number(points);
        return list;
    }();
    return sizes;
}

// Refilling a combo box makes its first entry current and so replaces the text it shows; the
// text is put back, with the matching entry current so the list opens at it.
void refill(QComboBox* box, const QStringList& entries)
{
    const QSignalBlocker blocker(box);
    const QString shown = box->currentText();
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(box->findText(shown));
    box->setEditText(shown);
}

// Qt describes a plain top-level QWidget as a client area, which AT-SPI reports as a filler:
// screen readers then do not take it for the program's window. It is described as a window
// (an AT-SPI frame), with the rest of QAccessibleWidget's behaviour unchanged.
QAccessibleInterface* describeMainWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String(MainWindow::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// A screen reader names a control after the label over it. The buddy gives the control AT-SPI's
// labelled-by relation; the name is set as well, as platforms differ in what they take from a
// buddy. On Linux Qt names an editable combo box by its text, whatever its accessible name, so
// its edit field, which holds the focus a screen reader follows, carries the label's name.
void labelControl(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
    control->setAccessibleName(label->text());
    if (auto* box = qobject_cast<QComboBox*>(control))
        box->lineEdit()->setAccessibleName(label->text());
}

} // namespace

MainWindow::MainWindow(std::chrono::milliseconds splashPause, QWidget* parent)
    : QWidget(parent), m_splashPause(splashPause)
{
    static const bool describedAsWindow = (QAccessible::installFactory(describeMainWindow), true);
    Q_UNUSED(describedAsWindow);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kProgramTitle);
    setWindowIcon(
        PictureDrawings::fromIcon(QStringLiteral(":/pictures/velmora.ico")).toWindowIcon());
    createControls();
    connectHandlers();

    resize(kClientSize);
    centreOnScreen(*this, kClientSize);
    // The first control in tab order takes the focus when the window first becomes active.
    txtKerkim->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    const QColor labelInk = palette().color(QPalette::HighlightedText);
    const auto makeLabel = [&](const QString& name, int left, int top, const QString& text,
                               Qt::Alignment alignment) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        QPalette ink = label->palette();
        ink.setColor(QPalette::WindowText, labelInk);
        label->setPalette(ink);
        label->setAlignment(alignment | Qt::AlignTop);
        label->move(twipsToPixels(left), twipsToPixels(top));
        // Sized to its text. The left edge stays put whatever the alignment: with a face wider
        // than the one the panel was drawn for, a label grown leftwards would leave the window.
        label->adjustSize();
        return label;
    };
    const auto makeButton = [&](const QString& name, const QRect& place, const QString& tip,
                                const QString& picture, QSize pictureSize = QSize(32, 32)) {
        auto* button = new PictureButton(this);
        button->setObjectName(name);
        button->setGeometry(place);
        button->setToolTip(tip);
        button->setPicture(picture, pictureSize);
        return button;
    };
    const auto makeComboBox = [&](const QString& name, const QRect& place, const QString& text) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setEditable(true);
        // What the user types is never added to the list, and is never taken for a pick: on
        // Enter or on leaving the box Qt would otherwise choose the entry matching the typed
        // text and report it as activated, running the box's handler. Only a pick from the
        // list (or the arrow keys) is a pick.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
        box->setGeometry(place);
        box->setEditText(text);
        dropWheel(*box);
        return box;
    };

    cmdFund =
        makeButton(QStringLiteral("cmdFund"), twipsRect(120, 120, 375, 375), QStringLiteral("Fund"),
                   QStringLiteral(":/pictures/exit.ico"), QSize(16, 16));
    cmdRrethProg =
        makeButton(QStringLiteral("cmdRrethProg"), twipsRect(600, 120, 375, 375),
                   QStringLiteral("Rreth programit..."), QStringLiteral(":/pictures/about.ico"));
    Label4 = makeLabel(QStringLiteral("Label4"), 120, 600, QStringLiteral("Gjeje hadithin numër"),
                       Qt::AlignLeft);
    cmbNrHadithi = makeComboBox(QStringLiteral("cmbNrHadithi"), twipsRect(120, 840, 975, 315),
                                QStringLiteral("1"));
    cmdFillimDoc = makeButton(QStringLiteral("cmdFillimDoc"), twipsRect(1320, 840, 255, 375),
                              QStringLiteral("Në fillim të tekstit"),
                              QStringLiteral(":/pictures/arrow_up.ico"));
    cmdFundDoc = makeButton(QStringLiteral("cmdFundDoc"), twipsRect(1680, 840, 255, 375),
                            QStringLiteral("Në fund të tekstit"),
                            QStringLiteral(":/pictures/arrow_down.ico"));
    Label3 = makeLabel(QStringLiteral("Label3"), 165, 1320, QStringLiteral("Kërkimi i tekstit"),
                       Qt::AlignRight);
    txtKerkim = new SearchBox(QStringLiteral("i Dërguari"), this);
    txtKerkim->setObjectName(QStringLiteral("txtKerkim"));
    txtKerkim->setGeometry(twipsRect(120, 1560, 1455, 315));
    txtKerkim->setToolTip(QStringLiteral("Fjala e kërkuar"));
    cmdKerkim = makeButton(QStringLiteral("cmdKerkim"), twipsRect(1680, 1560, 375, 375),
                           QStringLiteral("Kërko"), QStringLiteral(":/pictures/search.ico"));
    QPalette face = cmdKerkim->palette();
    face.setColor(QPalette::Button, kSearchButtonFace);
    cmdKerkim->setPalette(face);
    Label2 = makeLabel(QStringLiteral("Label2"), 120, 2040, QStringLiteral("Dukja"), Qt::AlignLeft);
    CmbNrFonti = makeComboBox(QStringLiteral("CmbNrFonti"), twipsRect(120, 2280, 615, 315),
                              QStringLiteral("12"));
    CmbNrFonti->setToolTip(QStringLiteral("Madhësia e tekstit"));
    cmdCopy = makeButton(QStringLiteral("cmdCopy"), twipsRect(840, 2280, 375, 375),
                         QStringLiteral("Kopjim i tekstit të selektuar"),
                         QStringLiteral(":/pictures/copy.ico"));

    Rtf1 = new RichTextView(this);
    Rtf1->setObjectName(QStringLiteral("Rtf1"));
    Rtf1->setGeometry(twipsRect(2160, 0, 5055, 4455));

    labelControl(Label4, cmbNrHadithi);
    labelControl(Label3, txtKerkim);
    labelControl(Label2, CmbNrFonti);
    Rtf1->setAccessibleName(QStringLiteral("Teksti i librit"));
    // Its name, the tooltip "Fund", reads like the button that goes to the end of the text.
    cmdFund->setAccessibleDescription(QStringLiteral("Mbyll programin"));

    // A child menu is still a popup window: it never shows as a menu bar.
    mnuPopupRtf = new QMenu(QStringLiteral("Popup RTF menu"), this);
    mnuPopupRtf->setObjectName(QStringLiteral("mnuPopupRtf"));
    mnuSelektoKrejtTekstin = mnuPopupRtf->addAction(QStringLiteral("Selektoje tërë tekstin"));
    mnuSelektoKrejtTekstin->setObjectName(QStringLiteral("mnuSelektoKrejtTekstin"));
    mnuKopjim = mnuPopupRtf->addAction(QStringLiteral("Kopjoje tekstin e selektuar"));
    mnuKopjim->setObjectName(QStringLiteral("mnuKopjim"));

    QWidget* const tabOrder[] = {txtKerkim, Rtf1,         cmdFund,    cmdFundDoc, cmdFillimDoc,
                                 cmdKerkim, cmdRrethProg, CmbNrFonti, cmdCopy,    cmbNrHadithi};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void MainWindow::connectHandlers()
{
    connect(cmdFund, &QToolButton::clicked, this, &MainWindow::cmdFund_Click);
    // cmdFund_LostFocus is left out on purpose: the focus stays wherever the user moved it
    // from the exit button, so Tab keeps reaching every control.
    connect(cmdRrethProg, &QToolButton::clicked, this, &MainWindow::cmdRrethProg_Click);
    connect(cmbNrHadithi, &QComboBox::activated, this, &MainWindow::cmbNrHadithi_Click);
    connect(cmdKerkim, &QToolButton::clicked, this, &MainWindow::cmdKerkim_Click);
    connect(cmdFillimDoc, &QToolButton::clicked, this, &MainWindow::cmdFillimDoc_Click);
    connect(cmdFundDoc, &QToolButton::clicked, this, &MainWindow::cmdFundDoc_Click);
    connect(CmbNrFonti, &QComboBox::activated, this, &MainWindow::CmbNrFonti_Click);
    connect(cmdCopy, &QToolButton::clicked, this, &MainWindow::cmdCopy_Click);
    connect(Rtf1, &RichTextView::MouseUp, this, &MainWindow::Rtf1_MouseUp);
    connect(Rtf1, &RichTextView::keyboardMenuRequested, this, &MainWindow::Rtf1_KeyboardMenu);
    // As document viewers and browsers have them: Ctrl+F to the search box, F3 to the next match.
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            [this] { txtKerkim->setFocus(Qt::ShortcutFocusReason); });
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
            &MainWindow::cmdKerkim_Click);
    connect(mnuSelektoKrejtTekstin, &QAction::triggered, this,
            &MainWindow::mnuSelektoKrejtTekstin_Click);
    connect(mnuKopjim, &QAction::triggered, this, &MainWindow::mnuKopjim_Click);
    connect(txtKerkim, &SearchBox::GotFocus, this, &MainWindow::txtKerkim_GotFocus);
    connect(txtKerkim, &SearchBox::KeyPress, this, &MainWindow::txtKerkim_KeyPress);
}

bool MainWindow::Form_Load()
{
    Splash();
    Form_Activate();
    paintWithEmptyView();

    logTimingWhenPainted(*Rtf1->viewport(), "book painted",
                         [this] { return Rtf1->TextLength() > 0; });
    // A long book that turns out damaged once read is reported as one that cannot be read at
    // all, then the program ends as it would have.
    connect(Rtf1, &RichTextView::bookFailed, this, [this](const BookFileOutcome& failure) {
        reportBookFailure(failure);
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(EXIT_FAILURE); }, Qt::QueuedConnection);
    });
    BookFileOutcome outcome;
    if (!Rtf1->setFileName(kBookFileName, &outcome)) {
        reportBookFailure(outcome);
        return false;
    }
    return true;
}

void MainWindow::reportBookFailure(const BookFileOutcome& outcome)
{
    // Named with its folder: started from elsewhere (a shortcut with no working folder, a
    // command prompt), the reader sees which folder the book was looked for in.
    showMessage(this, bookFailureText(outcome, QDir::current().absoluteFilePath(kBookFileName)),
                MessageButtons::Ok);
    hide();
}

void MainWindow::Splash()
{
    auto frmSplash1 = std::make_unique<SplashWindow>();
    frmSplash1->centreOnScreen();
    frmSplash1->show();
    // The splash keeps painting and the program keeps answering the window system meanwhile.
    handleEventsUntil(std::chrono::steady_clock::now() + m_splashPause, QEventLoop::AllEvents);
    show();
    // Asked for, so that the focus lands in the search box also where no window manager
    // activates new windows by itself.
    activateWindow();
    logTiming("main window shown");
    frmSplash1.reset();
}

void MainWindow::paintWithEmptyView()
{
    // Input stays queued: only the window system's own events (mapping, exposure) are handled
    // until the window is on the screen, then it is painted at once, before the book is read.
    QWindow* const window = windowHandle();
    handleEventsUntil(std::chrono::steady_clock::now() + kExposeWait,
                      QEventLoop::ExcludeUserInputEvents,
                      [window] { return window && window->isExposed(); });
    repaint();
}

void MainWindow::Form_Activate()
{
    addItemCmbNrHadith();
    addNrFontToCombo();
    const QSignalBlocker blocker(cmbNrHadithi);
    cmbNrHadithi->setCurrentIndex(cmbNrHadithi->findText(QStringLiteral("1")));
    cmbNrHadithi->setEditText(QStringLiteral("1"));
}

void MainWindow::addItemCmbNrHadith()
{
    refill(cmbNrHadithi, hadithNumbers());
}

void MainWindow::addNrFontToCombo()
{
    refill(CmbNrFonti, textSizes());
}

void MainWindow::Form_Resize()
{
    // In single precision. A negative width is refused by the view, and then the height is left
    // alone as well, so a window narrower than the panel keeps the view as it was.
    const float left = static_cast<float>(Rtf1->Left());
    const float outerWidth = static_cast<float>(frameGeometry().width() * kTwipsPerPixel);
    const float width = outerWidth - left - 100.0F;
    if (!Rtf1->setWidth(static_cast<int>(std::lround(width))))
        return;
    Rtf1->setHeight(height() * kTwipsPerPixel);
}

void MainWindow::cmdFund_Click()
{
    QCoreApplication::exit(0);
}

void MainWindow::cmdRrethProg_Click()
{
    {
        AboutWindow frmRrethProg(this);
        frmRrethProg.exec();
    }
    Form_Activate();
}

void MainWindow::cmbNrHadithi_Click()
{
    if (cmbNrHadithi->currentText().isEmpty())
        cmbNrHadithi->setEditText(QStringLiteral("1"));
    kerkoje();
}

void MainWindow::kerkoje()
{
    jumpToHadith(*Rtf1, cmbNrHadithi->currentText());
}

void MainWindow::cmdKerkim_Click()
{
    if (!searchStep(*Rtf1, txtKerkim->text(), messageBoxPrompter(this)))
        txtKerkim->setFocus();
}

void MainWindow::txtKerkim_KeyPress(int& keyAscii)
{
    if (keyAscii == 13)
        cmdKerkim_Click();
}

void MainWindow::txtKerkim_GotFocus()
{
    txtKerkim->selectAll();
}

void MainWindow::cmdFillimDoc_Click()
{
    caretToStart(*Rtf1);
}

void MainWindow::cmdFundDoc_Click()
{
    caretToEnd(*Rtf1);
}

void MainWindow::CmbNrFonti_Click()
{
    applyTextSize(*Rtf1, CmbNrFonti->currentText());
}

void MainWindow::cmdCopy_Click()
{
    copySelection(*Rtf1);
}

void MainWindow::Rtf1_MouseUp(int button, int, int, int)
{
    if (button == 2)
        mnuPopupRtf->popup(QCursor::pos());
}

void MainWindow::Rtf1_KeyboardMenu(QPoint at)
{
    mnuPopupRtf->popup(at);
}

void MainWindow::mnuSelektoKrejtTekstin_Click()
{
    selectAll(*Rtf1);
}

void MainWindow::mnuKopjim_Click()
{
    cmdCopy_Click();
}

void MainWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kNavy);
    drawFocusRing(painter, *this);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The rule counts the outer width, frame included. A window manager frames the window after
    // it is first shown, which moves the window but does not resize it.
    Form_Resize();
}

} // namespace velmora
