// The main window: its controls as laid out, the start-up with splash and book, the list
// fills on activation, the resize rule, the start-up failure and the ways the program ends.

#include "main_window.h"
#include "message_script.h"
#include "picture_button.h"
#include "rich_text_view.h"
#include "splash_window.h"
#include "test_books.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

#include <chrono>
#include <functional>
#include <memory>

using namespace velmora;
using namespace velmora::test;
using namespace std::chrono_literals;

namespace {

// A few headings, two occurrences of the search box's start text, and enough lines that the
// view can scroll.
QString bookText()
{
    QString book = QStringLiteral("A:1\n|T:Kur i Dërguari u ul, tha: fjala e parë.\n"
                                  "|A:2\n|T:Dhe prapë i Dërguari foli.\n"
                                  "|A:3\n|T:Teksti i tretë, pa emrin.\n");
    for (int line = 1; line <= 80; ++line)
        book += QStringLiteral("|T:Rreshti %1 i pjesës së gjatë.\n").arg(line);
    return book + QStringLiteral("|A:443\n|T:Pjesa 443.\n|A:443. a)\n|T:Hadithi shtesë.\n");
}

// The hadith list as the reader meets it: 1 to 1014 in order, with "443. a)" after 443.
bool isHadithList(const QStringList& list)
{
    return list.size() == 1015 && list.first() == QLatin1String("1") &&
           list[442] == QLatin1String("443") && list[443] == QLatin1String("443. a)") &&
           list[444] == QLatin1String("444") && list.last() == QLatin1String("1014") &&
           list.indexOf(QStringLiteral("500")) == 500;
}

QStringList expectedSizeList()
{
    QStringList list;
    for (int n = 6; n <= 26; ++n)
        list << QString::number(n);
    return list;
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

template <typename T> T* control(const QWidget& window, const char* name)
{
    return window.findChild<T*>(QString::fromLatin1(name));
}

QWidget* visibleWindowNamed(const QString& name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name && widget->isVisible())
            return widget;
    return nullptr;
}

// How long a test waits for a modal window to show before it gives up, as QTRY_VERIFY does.
constexpr auto kModalWait = 5s;

// Closes the modal window that opens next, by a click on its button, once it is showing; gives
// up when none shows within kModalWait, and the test's own checks then fail.
void closeNextModalByItsButton(QDeadlineTimer deadline = QDeadlineTimer(kModalWait))
{
    QTimer::singleShot(0, [deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (!deadline.hasExpired())
                closeNextModalByItsButton(deadline); // not up yet
            return;
        }
        if (auto* button = modal->findChild<QAbstractButton*>(QStringLiteral("Command1")))
            QTest::mouseClick(button, Qt::LeftButton);
    });
}

// Records, for every paint of the view, how long the view's text was at that moment.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(RichTextView* view) : m_view(view)
    {
        view->viewport()->installEventFilter(this);
    }
    QList<int> textLengths;
    QList<bool> windowVisible;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            textLengths << m_view->TextLength();
            windowVisible << m_view->window()->isVisible();
        }
        return false;
    }

private:
    RichTextView* m_view;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAreWhatTheReaderSees_data();
    void controlsAreWhatTheReaderSees();
    void windowIsLaidOutWhole();
    void tabVisitsTheControlsInOrder();
    void screenReadersFindNamedControls();
    void splashShowsAloneForThePause();
    void windowIsPaintedWithEmptyViewBeforeTheBookLoads();
    void startUpEndsWithFocusInSearchBoxTextSelected();
    void startUpFailureIsReportedOnce_data();
    void startUpFailureIsReportedOnce();
    void listsAfterActivations_data();
    void listsAfterActivations();
    void windowActivationAloneDoesNotRefill();
    void aboutWindowOpensNewInItsInitialState();
    void resizeRule_data();
    void resizeRule();
    void comboBoxesRunTheirHandlersOnlyForPicks();
    void wheelOverClosedBoxesPicksNothing();
    void enterInSearchBoxRunsOneStep();
    void searchButtonClickKeepsFocusOnButton();
    void mousePickInHadithListJumps();
    void clickInSearchBoxSelectsItsText();
    void popupMenuOnRightButtonOnly_data();
    void popupMenuOnRightButtonOnly();
    void popupMenuItemsRunTheirCommands();
    void everyWayOfCopyingGivesTheSameText();
    // These end the application's event loops for good, so they come last.
    void closeBoxEndsTheProgram();
    void exitButtonEndsTheProgram();

private:
    std::unique_ptr<MainWindow> startedWindow();

    QTemporaryDir m_bookDir;
    QTemporaryDir m_emptyDir;
    QString m_startDir;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_bookDir.isValid() && m_emptyDir.isValid());
    QFile book(m_bookDir.filePath(MainWindow::kBookFileName));
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.write(rtfOf(piecesOf(bookText())));
    m_startDir = QDir::currentPath();
}

void TestMainWindow::init()
{
    QVERIFY(QDir::setCurrent(m_bookDir.path()));
}

void TestMainWindow::cleanup()
{
    QDir::setCurrent(m_startDir);
    setMessageBoxHandler({});
}

std::unique_ptr<MainWindow> TestMainWindow::startedWindow()
{
    auto window = std::make_unique<MainWindow>(0ms);
    if (!window->Form_Load())
        return nullptr;
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

void TestMainWindow::controlsAreWhatTheReaderSees_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("the search box") << "txtKerkim"
                                    << "velmora::SearchBox"
                                    << "i Dërguari"
                                    << "Fjala e kërkuar";
    QTest::newRow("the view") << "Rtf1"
                              << "velmora::RichTextView"
                              << ""
                              << "";
    QTest::newRow("the exit button") << "cmdFund"
                                     << "velmora::PictureButton"
                                     << ""
                                     << "Fund";
    QTest::newRow("the label over the size box") << "Label2"
                                                 << "QLabel"
                                                 << "Dukja"
                                                 << "";
    QTest::newRow("the end button") << "cmdFundDoc"
                                    << "velmora::PictureButton"
                                    << ""
                                    << "Në fund të tekstit";
    QTest::newRow("the start button") << "cmdFillimDoc"
                                      << "velmora::PictureButton"
                                      << ""
                                      << "Në fillim të tekstit";
    QTest::newRow("the search button") << "cmdKerkim"
                                       << "velmora::PictureButton"
                                       << ""
                                       << "Kërko";
    QTest::newRow("the label over the search box") << "Label3"
                                                   << "QLabel"
                                                   << "Kërkimi i tekstit"
                                                   << "";
    QTest::newRow("the About button") << "cmdRrethProg"
                                      << "velmora::PictureButton"
                                      << ""
                                      << "Rreth programit...";
    QTest::newRow("the size box") << "CmbNrFonti"
                                  << "QComboBox"
                                  << "12"
                                  << "Madhësia e tekstit";
    QTest::newRow("the copy button") << "cmdCopy"
                                     << "velmora::PictureButton"
                                     << ""
                                     << "Kopjim i tekstit të selektuar";
    QTest::newRow("the hadith-number box") << "cmbNrHadithi"
                                           << "QComboBox"
                                           << "1"
                                           << "";
    QTest::newRow("the label over the hadith-number box") << "Label4"
                                                          << "QLabel"
                                                          << "Gjeje hadithin numër"
                                                          << "";
}

void TestMainWindow::controlsAreWhatTheReaderSees()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);

    const MainWindow window; // as created, before the start-up shows it
    auto* widget = window.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget(), &window);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
    QVERIFY(widget->isEnabled());
    QVERIFY(!widget->isHidden());
    QCOMPARE(widget->toolTip(), toolTip);

    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(label->text(), text);
        QVERIFY(!label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 window.palette().color(QPalette::HighlightedText));
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask,
                 name == "Label3" ? Qt::AlignRight : Qt::AlignLeft);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        return;
    }

    QVERIFY(widget->focusPolicy() & Qt::TabFocus);
    if (auto* button = qobject_cast<PictureButton*>(widget)) {
        QVERIFY(button->text().isEmpty());
        QCOMPARE(button->accessibleName(), toolTip);
        QCOMPARE(button->picture().size(), name == "cmdFund" ? QSize(16, 16) : QSize(32, 32));
        const QColor face = button->palette().color(QPalette::Button);
        QCOMPARE(face, name == "cmdKerkim" ? QColor(192, 192, 192)
                                           : QApplication::palette().color(QPalette::Button));
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
        QVERIFY(box->isEditable());
        QCOMPARE(box->insertPolicy(), QComboBox::NoInsert);
        QCOMPARE(box->count(), 0); // filled when the window is first activated
        QCOMPARE(box->currentText(), text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(edit->text(), text);
    } else {
        QCOMPARE(static_cast<RichTextView*>(widget)->TextLength(), 0);
    }
}

void TestMainWindow::windowIsLaidOutWhole()
{
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Velmora 2.0"));
    QVERIFY(!window.windowIcon().isNull());
    // Once shown (the view then fits the window), every control inside the window, none over
    // another.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QList<QWidget*> controls;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow() && !child->isHidden())
            controls << child;
    QVERIFY(controls.size() >= 10);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QRect place = controls[i]->geometry();
        QVERIFY2(window.rect().contains(place), qPrintable(controls[i]->objectName()));
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!place.intersects(controls[j]->geometry()),
                     qPrintable(controls[i]->objectName() + " " + controls[j]->objectName()));
    }
    // Where a reader finds what: each label just above the box it names, each button beside
    // the box it acts on, the panel of controls left of the view.
    const auto placeOf = [&](const char* name) {
        const auto* widget = window.findChild<QWidget*>(QLatin1String(name));
        return widget ? widget->geometry() : QRect();
    };
    for (const auto& [label, box] :
         {std::pair("Label4", "cmbNrHadithi"), {"Label3", "txtKerkim"}, {"Label2", "CmbNrFonti"}}) {
        const QRect over = placeOf(label), under = placeOf(box);
        QVERIFY2(over.bottom() < under.top() && under.top() - over.bottom() < 16 &&
                     over.left() < under.right(),
                 label);
    }
    for (const auto& [button, box] : {std::pair("cmdFillimDoc", "cmbNrHadithi"),
                                      {"cmdKerkim", "txtKerkim"},
                                      {"cmdCopy", "CmbNrFonti"}}) {
        const QRect beside = placeOf(button), of = placeOf(box);
        QVERIFY2(beside.left() > of.right() && beside.top() < of.bottom() &&
                     beside.bottom() > of.top(),
                 button);
    }
    for (const QWidget* control : controls)
        if (control->objectName() != QLatin1String("Rtf1"))
            QVERIFY2(control->geometry().right() < placeOf("Rtf1").left(),
                     qPrintable(control->objectName()));
    QVERIFY(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!window.findChild<QMenuBar*>());

    // Navy wherever no control covers the window: between panel and view, below the panel.
    const QImage surface = window.grab().toImage();
    QCOMPARE(surface.pixelColor(140, 50), QColor(0, 30, 80));
    QCOMPARE(surface.pixelColor(60, 400), QColor(0, 30, 80));

    auto* menu = control<QMenu>(window, "mnuPopupRtf");
    QVERIFY(menu);
    QVERIFY(!menu->isVisible());
    QCOMPARE(menu->title(), QStringLiteral("Popup RTF menu"));
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->objectName(), QStringLiteral("mnuSelektoKrejtTekstin"));
    QCOMPARE(items[0]->text(), QStringLiteral("Selektoje tërë tekstin"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("mnuKopjim"));
    QCOMPARE(items[1]->text(), QStringLiteral("Kopjoje tekstin e selektuar"));
    for (const QAction* item : items) {
        QVERIFY(item->isEnabled());
        QVERIFY(!item->isCheckable());
        QVERIFY(item->shortcut().isEmpty());
    }
}

void TestMainWindow::tabVisitsTheControlsInOrder()
{
    const auto window = startedWindow();
    QVERIFY(window);
    const QStringList expected = {"txtKerkim",    "Rtf1",         "cmdFund",      "cmdFundDoc",
                                  "cmdFillimDoc", "cmdKerkim",    "cmdRrethProg", "CmbNrFonti",
                                  "cmdCopy",      "cmbNrHadithi", "txtKerkim"};
    QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>(*window, "txtKerkim"));
    QStringList visited;
    for (qsizetype step = 0; step < expected.size(); ++step) {
        // A combo box's edit field and the view's viewport stand for their control.
        QWidget* focus = QApplication::focusWidget();
        QWidget* named = focus;
        while (named && !expected.contains(named->objectName()))
            named = named->parentWidget();
        visited << (named ? named->objectName() : QStringLiteral("?"));
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited, expected);
}

void TestMainWindow::screenReadersFindNamedControls()
{
    const MainWindow window;
    const auto accessible = [](QObject* object) {
        return QAccessible::queryAccessibleInterface(object);
    };
    QCOMPARE(accessible(const_cast<MainWindow*>(&window))->role(), QAccessible::Window);
    QCOMPARE(accessible(control<QWidget>(window, "Rtf1"))->text(QAccessible::Name),
             QStringLiteral("Teksti i librit"));
    QCOMPARE(accessible(control<QWidget>(window, "cmdFund"))->text(QAccessible::Description),
             QStringLiteral("Mbyll programin"));

    const std::pair<const char*, const char*> labelled[] = {
        {"Label4", "cmbNrHadithi"}, {"Label3", "txtKerkim"}, {"Label2", "CmbNrFonti"}};
    for (const auto& [labelName, controlName] : labelled) {
        auto* label = control<QLabel>(window, labelName);
        auto* widget = control<QWidget>(window, controlName);
        QCOMPARE(label->buddy(), widget);
        QAccessibleInterface* const labelAccessible = accessible(label);
        bool labelledByIt = false;
        for (const auto& [other, relation] : accessible(widget)->relations(QAccessible::Label))
            labelledByIt = labelledByIt || other == labelAccessible;
        QVERIFY2(labelledByIt, controlName);
        // A screen reader reads an editable combo box through its edit field.
        auto* box = qobject_cast<QComboBox*>(widget);
        QCOMPARE(accessible(box ? box->lineEdit() : widget)->text(QAccessible::Name),
                 label->text());
    }
}

void TestMainWindow::splashShowsAloneForThePause()
{
    constexpr auto kPause = 400ms;
    struct ShowWatch : QObject {
        QElapsedTimer clock;
        qint64 splashShown = -1;
        qint64 mainShown = -1;
        std::function<void()> onSplash;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && watched->objectName() == "frmSplash1") {
                splashShown = clock.elapsed();
                // Due long before the end of the wait, so it runs inside it however slow the
                // machine: timers fire in the order they fall due.
                QTimer::singleShot(50ms, onSplash);
            }
            if (event->type() == QEvent::Show && watched->objectName() == "frmMain")
                mainShown = clock.elapsed();
            return false;
        }
    } watch;

    MainWindow window(kPause);
    bool probed = false;
    bool splashAlone = false;
    QImage splashPicture;
    QRect splashPlace;
    Qt::WindowFlags splashFlags;
    watch.onSplash = [&] {
        probed = true;
        QWidget* splash = visibleWindowNamed(QStringLiteral("frmSplash1"));
        splashAlone = splash && !window.isVisible();
        if (!splash)
            return;
        splashPicture = splash->grab().toImage();
        splashPlace = splash->geometry();
        splashFlags = splash->windowFlags();
        // Clicks and keys during the wait change nothing.
        QTest::mouseClick(splash, Qt::LeftButton);
        QTest::keyClick(splash, Qt::Key_Escape);
    };
    watch.clock.start();
    qApp->installEventFilter(&watch);
    const bool loaded = window.Form_Load();
    qApp->removeEventFilter(&watch);

    QVERIFY(loaded);
    QVERIFY(probed);
    QVERIFY(splashAlone);
    QVERIFY(watch.splashShown >= 0 && watch.mainShown >= 0);
    QVERIFY2(watch.mainShown - watch.splashShown >= kPause.count(),
             qPrintable(QString::number(watch.mainShown - watch.splashShown)));
    QVERIFY(window.isVisible());
    for (const QWidget* top : QApplication::topLevelWidgets())
        QVERIFY2(top->objectName() != "frmSplash1", "the splash is destroyed after the wait");

    QCOMPARE(splashPlace.size(), SplashWindow::kClientSize);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(splashPlace.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(splashPlace.center().y() - screen.center().y()) <= 1);
    QVERIFY(splashFlags & Qt::FramelessWindowHint);
    QCOMPARE(splashFlags & Qt::WindowType_Mask, Qt::SplashScreen);
    // The picture from its top left corner, its last column and row cut off.
    const QImage picture(QStringLiteral(":/pictures/splash.bmp"));
    QCOMPARE(picture.size(), SplashWindow::kClientSize + QSize(1, 1));
    QCOMPARE(splashPicture.convertToFormat(QImage::Format_RGB32),
             picture.copy(QRect(QPoint(), SplashWindow::kClientSize))
                 .convertToFormat(QImage::Format_RGB32));
}

void TestMainWindow::windowIsPaintedWithEmptyViewBeforeTheBookLoads()
{
    MainWindow window(0ms);
    auto* view = control<RichTextView>(window, "Rtf1");
    const PaintRecorder recorder(view);
    QVERIFY(window.Form_Load());
    QVERIFY(!recorder.textLengths.isEmpty());
    QCOMPARE(recorder.textLengths.first(), 0);
    QVERIFY(recorder.windowVisible.first());
    QVERIFY(view->TextLength() > 0);
    QTRY_VERIFY(recorder.textLengths.last() > 0); // and the book follows
}

void TestMainWindow::startUpEndsWithFocusInSearchBoxTextSelected()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* box = control<QLineEdit>(*window, "txtKerkim");
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QTRY_COMPARE(box->selectedText(), QStringLiteral("i Dërguari"));
    auto* view = control<RichTextView>(*window, "Rtf1");
    QVERIFY(view->Text().startsWith(QStringLiteral("1\rKur i Dërguari")));
    QCOMPARE(view->SelStart(), 0);
}

void TestMainWindow::startUpFailureIsReportedOnce_data()
{
    QTest::addColumn<QString>("content"); // "" none, "/" a folder, else the file's text
    QTest::newRow("no book in the working folder") << "";
    QTest::newRow("a folder in the book's place") << "/";
    QTest::newRow("a book that is not RTF") << "Ky nuk është libër.";
}

void TestMainWindow::startUpFailureIsReportedOnce()
{
    QFETCH(QString, content);
    QTemporaryDir folder;
    const QString bookPath = folder.filePath(MainWindow::kBookFileName);
    if (content == "/") {
        QVERIFY(QDir().mkdir(bookPath));
    } else if (!content.isEmpty()) {
        QFile book(bookPath);
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write(content.toUtf8());
    }
    QVERIFY(QDir::setCurrent(folder.path()));

    MainWindow window(0ms);
    QStringList texts;
    QList<MessageButtons> buttons;
    bool windowShowing = false;
    setMessageBoxHandler([&](QWidget*, const QString& text, MessageButtons shown) {
        texts << text;
        buttons << shown;
        windowShowing = window.isVisible();
        return MessageAnswer::Ok;
    });
    QVERIFY(!window.Form_Load());

    QCOMPARE(texts.size(), 1);
    // The whole path, so that the reader sees which folder was meant.
    const QString shownPath =
        QDir::toNativeSeparators(QDir(folder.path()).canonicalPath() + "/Velmora.rtf");
    QVERIFY2(texts.first().contains(QStringLiteral("«%1»").arg(shownPath)),
             qPrintable(texts.first()));
    QCOMPARE(buttons.first(), MessageButtons::Ok);
    QVERIFY(windowShowing); // the box comes after the window has been shown
    for (const QWidget* top : QApplication::topLevelWidgets())
        QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
}

void TestMainWindow::listsAfterActivations_data()
{
    QTest::addColumn<int>("aboutOpenings");
    QTest::addColumn<QString>("sizeAction"); // "", "pick" (the next size down the list), or typed
    QTest::addColumn<QString>("sizeShown");

    QTest::newRow("first showing, no size picked") << 0 << ""
                                                   << "12";
    QTest::newRow("About window twice, no size picked") << 2 << ""
                                                        << "12";
    QTest::newRow("About window twice after a size was picked") << 2 << "pick"
                                                                << "13";
    QTest::newRow("About window once after a size was typed") << 1 << "15"
                                                              << "15";
}

void TestMainWindow::listsAfterActivations()
{
    QFETCH(int, aboutOpenings);
    QFETCH(QString, sizeAction);
    QFETCH(QString, sizeShown);

    const auto window = startedWindow();
    QVERIFY(window);
    auto* hadith = control<QComboBox>(*window, "cmbNrHadithi");
    auto* sizes = control<QComboBox>(*window, "CmbNrFonti");
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* about = control<QAbstractButton>(*window, "cmdRrethProg");

    if (sizeAction == "pick") {
        QTest::keyClick(sizes, Qt::Key_Down);
    } else if (!sizeAction.isEmpty()) {
        sizes->lineEdit()->selectAll();
        QTest::keyClicks(sizes->lineEdit(), sizeAction);
    }
    QCOMPARE(sizes->currentText(), sizeShown);

    hadith->lineEdit()->selectAll();
    QTest::keyClicks(hadith->lineEdit(), QStringLiteral("25"));
    view->setSelStart(200);
    view->setSelLength(4);
    QScrollBar* scroll = view->verticalScrollBar();
    QVERIFY(scroll->maximum() > 10);
    scroll->setValue(scroll->maximum() / 2);
    // Heights measured above the view meanwhile move the bar, never the reader's line.
    const int topLine = view->cursorForPosition(QPoint(5, 5)).position();
    const int depth = depthOf(*view, topLine);

    for (int opening = 0; opening < aboutOpenings; ++opening) {
        closeNextModalByItsButton();
        QTest::mouseClick(about, Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget());
    }

    QVERIFY(isHadithList(itemsOf(hadith)));
    QCOMPARE(itemsOf(sizes), expectedSizeList());
    QCOMPARE(hadith->currentText(), aboutOpenings > 0 ? QStringLiteral("1") : QStringLiteral("25"));
    QCOMPARE(sizes->currentText(), sizeShown);
    QCOMPARE(view->SelStart(), 200);
    QCOMPARE(view->SelLength(), 4);
    QVERIFY(qAbs(depthOf(*view, topLine) - depth) <= 1);
}

void TestMainWindow::windowActivationAloneDoesNotRefill()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* hadith = control<QComboBox>(*window, "cmbNrHadithi");
    auto* sizes = control<QComboBox>(*window, "CmbNrFonti");
    hadith->setEditText(QStringLiteral("25"));
    sizes->setEditText(QStringLiteral("14"));

    // Another program takes the focus and gives it back.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    QApplicationStateChangeEvent away(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &away);
    QApplicationStateChangeEvent back(Qt::ApplicationActive);
    QApplication::sendEvent(qApp, &back);
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window.get(), &activate);
    QApplication::processEvents();

    QCOMPARE(hadith->currentText(), QStringLiteral("25"));
    QCOMPARE(sizes->currentText(), QStringLiteral("14"));
    QCOMPARE(hadith->count(), 1015);
    QCOMPARE(sizes->count(), 21);
}

void TestMainWindow::aboutWindowOpensNewInItsInitialState()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* about = control<QAbstractButton>(*window, "cmdRrethProg");
    QPointer<QWidget> first;
    QRect secondPlace;
    QSize secondSize;
    int opening = 0;
    QDeadlineTimer deadline(kModalWait);
    std::function<void()> whenShown = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (!deadline.hasExpired())
                QTimer::singleShot(0, whenShown);
            return;
        }
        if (opening == 0) {
            first = modal;
            modal->move(0, 0); // away from its initial place
        } else {
            secondPlace = modal->frameGeometry();
            secondSize = modal->size();
        }
        QTest::mouseClick(modal->findChild<QAbstractButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
    };
    QTimer::singleShot(0, whenShown);
    QTest::mouseClick(about, Qt::LeftButton);
    QVERIFY2(first.isNull(), "closing destroys the About window");

    opening = 1;
    deadline = QDeadlineTimer(kModalWait);
    QTimer::singleShot(0, whenShown);
    QTest::mouseClick(about, Qt::LeftButton);
    QCOMPARE(secondSize, QSize(349, 300));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Placed before the window system frames it: centred to within the frame's thickness.
    QVERIFY(qAbs(secondPlace.center().x() - centre.x()) <= 4);
    QVERIFY(qAbs(secondPlace.center().y() - centre.y()) <= 4);
}

void TestMainWindow::resizeRule_data()
{
    QTest::addColumn<QSize>("client"); // empty: maximized

    QTest::newRow("initial size") << QSize(449, 426);
    QTest::newRow("wider and lower than at first") << QSize(900, 300);
    QTest::newRow("lower than the panel") << QSize(449, 100);
    QTest::newRow("maximized") << QSize();
    QTest::newRow("outer width below 2,260 twips") << QSize(120, 200);
}

void TestMainWindow::resizeRule()
{
    QFETCH(QSize, client);

    MainWindow window(0ms);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* view = control<RichTextView>(window, "Rtf1");
    window.resize(MainWindow::kClientSize);
    QTRY_COMPARE(window.size(), MainWindow::kClientSize);
    const QRect atInitialSize = view->geometry();

    if (client.isEmpty()) {
        window.showMaximized();
        QTRY_VERIFY(window.width() > MainWindow::kClientSize.width());
    } else {
        window.resize(client);
        QTRY_COMPARE(window.size(), client);
    }

    const int outerWidth = window.frameGeometry().width() * 15;
    if (outerWidth < 2160 + 100) {
        // Refused: neither the width nor the height follows the window.
        QCOMPARE(view->geometry(), atInitialSize);
        window.resize(MainWindow::kClientSize);
        QTRY_COMPARE(window.size(), MainWindow::kClientSize);
        QCOMPARE(view->geometry(), atInitialSize);
        return;
    }
    QCOMPARE(view->pos(), QPoint(144, 0));
    QCOMPARE(view->Left(), 2160);
    // 100 twips short of the outer right edge, to the nearest pixel.
    const int width = view->width() * 15;
    QVERIFY2(qAbs(width - (outerWidth - 2160 - 100)) <= 7,
             qPrintable(QStringLiteral("%1 for %2").arg(width).arg(outerWidth)));
    QCOMPARE(view->height(), window.height());
}

void TestMainWindow::comboBoxesRunTheirHandlersOnlyForPicks()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* hadith = control<QComboBox>(*window, "cmbNrHadithi");
    auto* sizes = control<QComboBox>(*window, "CmbNrFonti");
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* search = control<QLineEdit>(*window, "txtKerkim");
    view->setSelStart(7);

    // Typing an entry's text, then Enter or leaving the box, is not a pick: no jump, no size.
    for (QComboBox* box : {hadith, sizes}) {
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("2"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        search->setFocus();
        QTRY_VERIFY(search->hasFocus());
    }
    QCOMPARE(view->SelStart(), 7);
    QCOMPARE(view->SelLength(), 0);
    QCOMPARE(hadith->count(), 1015);
    QCOMPARE(sizes->count(), 21);

    // A pick with the arrow key jumps, and the focus stays in the box.
    hadith->setFocus();
    QTRY_VERIFY(hadith->hasFocus());
    hadith->setCurrentIndex(0);
    QTest::keyClick(hadith, Qt::Key_Down);
    QCOMPARE(hadith->currentText(), QStringLiteral("2"));
    QCOMPARE(view->SelText(), QStringLiteral("2"));
    QCOMPARE(view->SelStart(), view->Text().indexOf(QStringLiteral("\r2\r")) + 1);
    QVERIFY(hadith->hasFocus());

    // A size pick sizes the book and puts the caret at the start.
    sizes->setFocus();
    QTRY_VERIFY(sizes->hasFocus());
    sizes->setCurrentIndex(sizes->findText(QStringLiteral("12")));
    QTest::keyClick(sizes, Qt::Key_Down);
    QCOMPARE(sizes->currentText(), QStringLiteral("13"));
    QCOMPARE(view->SelStart(), 0);
    QCOMPARE(view->SelLength(), 0);
    QTextCursor first(view->document());
    first.setPosition(1);
    QCOMPARE(first.charFormat().fontPointSize(), 13.0);
    QVERIFY(sizes->hasFocus());
}

void TestMainWindow::wheelOverClosedBoxesPicksNothing()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    view->setSelStart(7);
    QScrollBar* scroll = view->verticalScrollBar();
    scroll->setValue(scroll->maximum() / 2);
    // Heights measured above the view meanwhile move the bar, never the reader's line.
    const int topLine = view->cursorForPosition(QPoint(5, 5)).position();
    const int depth = depthOf(*view, topLine);
    for (const char* name : {"cmbNrHadithi", "CmbNrFonti"}) {
        auto* box = control<QComboBox>(*window, name);
        const QString shown = box->currentText();
        for (QWidget* target :
             {static_cast<QWidget*>(box), static_cast<QWidget*>(box->lineEdit())}) {
            const QPointF at(5, 5);
            QWheelEvent notch(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &notch);
        }
        QCOMPARE(box->currentText(), shown);
    }
    QCOMPARE(view->SelStart(), 7);
    QCOMPARE(view->SelLength(), 0);
    QVERIFY(qAbs(depthOf(*view, topLine) - depth) <= 1);
}

void TestMainWindow::enterInSearchBoxRunsOneStep()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* search = control<QLineEdit>(*window, "txtKerkim");
    auto* view = control<RichTextView>(*window, "Rtf1");
    QTRY_VERIFY(search->hasFocus());
    MessageScript script;
    const QString text = search->text();
    const int first = view->Text().indexOf(text);
    const int second = view->Text().indexOf(text, first + 1);
    QVERIFY(first >= 0 && second > first);

    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(view->SelStart(), first);
    QCOMPARE(view->SelText(), text);
    QTest::keyClick(search, Qt::Key_Enter);
    QCOMPARE(view->SelStart(), second);
    QVERIFY(search->hasFocus());
    QCOMPARE(search->text(), text);
    QVERIFY(script.shown().isEmpty());

    // An empty box: one message, then the focus back in the box.
    search->clear();
    auto* button = control<QAbstractButton>(*window, "cmdKerkim");
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(script.shown().size(), 1);
    QTRY_VERIFY(search->hasFocus());
    QCOMPARE(view->SelStart(), second);
}

void TestMainWindow::searchButtonClickKeepsFocusOnButton()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* search = control<QLineEdit>(*window, "txtKerkim");
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* button = control<QAbstractButton>(*window, "cmdKerkim");
    MessageScript script;
    const int first = view->Text().indexOf(search->text());
    QVERIFY(first >= 0);

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(view->SelStart(), first);
    QCOMPARE(view->SelText(), search->text());
    QTRY_VERIFY(button->hasFocus());
    QVERIFY(script.shown().isEmpty());
}

void TestMainWindow::mousePickInHadithListJumps()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* hadith = control<QComboBox>(*window, "cmbNrHadithi");
    auto* view = control<RichTextView>(*window, "Rtf1");
    hadith->showPopup();
    QAbstractItemView* list = hadith->view();
    QTRY_VERIFY(list->isVisible());
    const QModelIndex second = hadith->model()->index(1, 0);
    list->scrollTo(second);
    const QPoint at = list->visualRect(second).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    QTRY_COMPARE(hadith->currentText(), QStringLiteral("2"));
    QCOMPARE(view->SelText(), QStringLiteral("2"));
    QCOMPARE(view->SelStart(), view->Text().indexOf(QStringLiteral("\r2\r")) + 1);
}

void TestMainWindow::clickInSearchBoxSelectsItsText()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* search = control<QLineEdit>(*window, "txtKerkim");
    auto* view = control<RichTextView>(*window, "Rtf1");
    view->SetFocus();
    QTRY_VERIFY(view->hasFocus());
    search->deselect();

    QTest::mouseClick(search, Qt::LeftButton, {}, QPoint(10, search->height() / 2));
    QTRY_COMPARE(search->selectedText(), search->text());
    QVERIFY(search->hasFocus());
}

void TestMainWindow::popupMenuOnRightButtonOnly_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("menuShown");

    QTest::newRow("left button") << Qt::LeftButton << Qt::KeyboardModifiers() << false;
    QTest::newRow("middle button") << Qt::MiddleButton << Qt::KeyboardModifiers() << false;
    QTest::newRow("right button") << Qt::RightButton << Qt::KeyboardModifiers() << true;
    QTest::newRow("right button with Shift")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("right button with Ctrl")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
}

void TestMainWindow::popupMenuOnRightButtonOnly()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, menuShown);

    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* menu = control<QMenu>(*window, "mnuPopupRtf");
    auto* hadith = control<QComboBox>(*window, "cmbNrHadithi");
    hadith->setEditText(QStringLiteral("25"));

    QTest::mouseClick(view->viewport(), button, modifiers, QPoint(40, 40));
    QCOMPARE(menu->isVisible(), menuShown);
    int menus = 0;
    for (const QWidget* top : QApplication::topLevelWidgets())
        menus += qobject_cast<const QMenu*>(top) && top->isVisible() ? 1 : 0;
    QCOMPARE(menus, menuShown ? 1 : 0); // no menu of the view's own beside it
    menu->close();
    QTRY_VERIFY(!menu->isVisible());
    QApplication::processEvents();
    QCOMPARE(hadith->currentText(), QStringLiteral("25")); // closing the menu is no activation
}

void TestMainWindow::popupMenuItemsRunTheirCommands()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* menu = control<QMenu>(*window, "mnuPopupRtf");
    QTRY_VERIFY(QApplication::focusWidget());
    QWidget* focus = QApplication::focusWidget();

    view->setSelStart(3);
    menu->actions().at(0)->trigger();
    QCOMPARE(view->SelStart(), 0);
    QCOMPARE(view->SelLength(), view->TextLength());
    menu->actions().at(1)->trigger();
    QString expected = view->Text();
    expected.replace(u'\r', u'\n');
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QCOMPARE(QApplication::focusWidget(), focus);
}

// Ctrl+C, the primary selection (which takes the same data as Ctrl+C), the copy button and the
// popup menu give one plain text: the book's own characters, a non-breaking space, a soft hyphen
// and a tab kept, paragraph ends and line breaks as line feeds.
void TestMainWindow::everyWayOfCopyingGivesTheSameText()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0 Nj\\'eb\\line "
                           "dy\\u160?tre\\u173?kat\\'ebr\\tab pes\\'eb\\par gjasht\\'eb\\par}";
    QVERIFY(velmora::test::loadRtf(*view, rtf));
    const QString expected = QStringLiteral("Një\ndy\u00A0tre\u00ADkatër\tpesë\ngjashtë\n");
    QClipboard* clipboard = QApplication::clipboard();
    view->setSelStart(0);
    view->setSelLength(view->TextLength());

    clipboard->clear();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), expected);
    const std::unique_ptr<QMimeData> primary(view->createMimeDataFromSelection());
    QCOMPARE(primary->text(), expected);
    QVERIFY(primary->hasHtml()); // a short selection keeps its formats for a word processor
    clipboard->clear();
    QTest::mouseClick(control<QAbstractButton>(*window, "cmdCopy"), Qt::LeftButton);
    QCOMPARE(clipboard->text(), expected);
    QVERIFY(!clipboard->mimeData()->hasHtml()); // the copy button gives plain text only
    clipboard->clear();
    control<QMenu>(*window, "mnuPopupRtf")->actions().at(1)->trigger();
    QCOMPARE(clipboard->text(), expected);
}

void TestMainWindow::closeBoxEndsTheProgram()
{
    const auto window = startedWindow();
    QVERIFY(window);
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    QTimer::singleShot(0, window.get(), &QWidget::close);
    QTimer::singleShot(5s, [] { QCoreApplication::exit(99); }); // only if the close failed
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::exitButtonEndsTheProgram()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* exit = control<QAbstractButton>(*window, "cmdFund");
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    QTimer::singleShot(5s, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(clock.elapsed() < 1000);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
