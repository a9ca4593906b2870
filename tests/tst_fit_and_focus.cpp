// The windows as a reader sees and drives them with the program's font stand-ins, run at the
// scales ctest gives (100 to 250 %): every text fits its box, the focus of a picture button is
// seen, and the keyboard reaches what the mouse does (Enter, the menu key, Ctrl+F and F3).

#include "about_window.h"
#include "font_stand_ins.h"
#include "main_window.h"
#include "message_box.h"
#include "picture_button.h"
#include "rich_text_view.h"
#include "test_books.h"
#include "window_style.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyleOptionComboBox>
#include <QtTest>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

template <typename T> T* control(const QWidget& window, const char* name)
{
    return window.findChild<T*>(QString::fromLatin1(name));
}

// WCAG's contrast ratio of two colours.
double contrast(QColor a, QColor b)
{
    const auto luminance = [](QColor c) {
        const auto channel = [](double v) {
            v /= 255;
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
    };
    const double x = luminance(a) + 0.05;
    const double y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

// The width a text takes in a widget's font, in logical pixels.
double widthOf(const QWidget& widget, const QString& text)
{
    return QFontMetricsF(widget.font()).horizontalAdvance(text);
}

// The rectangle of its window in which label draws ink, in device pixels of ratio: the label
// alone, drawn over its ground.
QRect inkOf(QLabel& label, qreal ratio)
{
    const QImage image = label.grab().toImage();
    const QRgb ground = image.pixel(0, 0); // above the first letter
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != ground)
                ink |= QRect(x, y, 1, 1);
    const QPoint corner = (QPointF(label.mapTo(label.window(), QPoint(0, 0))) * ratio).toPoint();
    return ink.translated(corner);
}

// The pixels in which two pictures of one window differ.
QRect differing(const QImage& a, const QImage& b)
{
    QRect changed;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    return changed;
}

} // namespace

class TestFitAndFocus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void standInsAreChosenInOrder();
    void windowsFamiliesAreDrawnByTheirTwins();
    void everyTextOfTheMainWindowFits();
    void everyTextOfTheAboutWindowFits();
    void messageBoxIsAsWideAsItsCaption();
    void focusedButtonStandsOutFromThePanel();
    void enterPressesTheFocusedButton();
    void menuKeyOpensTheViewsMenuAtTheCaret();
    void ctrlFAndF3Search();

private:
    std::unique_ptr<MainWindow> startedWindow();

    QTemporaryDir m_bookDir;
};

void TestFitAndFocus::initTestCase()
{
    installFontStandIns();
    QFile book(m_bookDir.filePath(MainWindow::kBookFileName));
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.write(test::rtfOf(test::piecesOf(
        QStringLiteral("A:1|T: Një fjalë e parë, fjalë e dytë.\n|A:2|T: Fjalë e tretë.\n"))));
}

void TestFitAndFocus::init()
{
    QVERIFY(QDir::setCurrent(m_bookDir.path()));
}

std::unique_ptr<MainWindow> TestFitAndFocus::startedWindow()
{
    auto window = std::make_unique<MainWindow>(0ms);
    if (!window->Form_Load() || !QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

void TestFitAndFocus::standInsAreChosenInOrder()
{
    const QHash<QString, QString> chosen = chooseFontStandIns(
        {"DejaVu Sans", "Liberation Serif", "Liberation Sans", "Noto Naskh Arabic", "Arial"});
    QCOMPARE(chosen.value("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QCOMPARE(chosen.value("Times New Roman"), QStringLiteral("Liberation Serif"));
    QCOMPARE(chosen.value("Traditional Arabic"), QStringLiteral("Noto Naskh Arabic"));
    QVERIFY(!chosen.contains("Arial"));        // installed: drawn by itself
    QVERIFY(!chosen.contains("Arial Narrow")); // no twin installed: the system chooses
}

void TestFitAndFocus::windowsFamiliesAreDrawnByTheirTwins()
{
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains("Liberation Sans") || !installed.contains("Amiri"))
        QSKIP("fonts-liberation and fonts-hosny-amiri are not installed (./test installs them)");
    // A family that is installed (on Windows) is drawn by itself.
    const auto drawnBy = [&](const char* family, const char* twin) {
        return QString::fromLatin1(installed.contains(family) ? family : twin);
    };
    QCOMPARE(QFontInfo(QFont("MS Sans Serif")).family(),
             drawnBy("MS Sans Serif", "Liberation Sans"));
    QCOMPARE(QFontInfo(QFont("Traditional Arabic")).family(),
             drawnBy("Traditional Arabic", "Amiri"));
    if (!installed.contains("MS Sans Serif"))
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("Liberation Sans"));
}

void TestFitAndFocus::everyTextOfTheMainWindowFits()
{
    const auto window = startedWindow();
    QVERIFY(window);
    // The labels are sized to their text: the text is whole, and the panel holds it.
    const int panelEnd = control<RichTextView>(*window, "Rtf1")->x();
    for (const char* name : {"Label4", "Label3", "Label2"}) {
        const auto* label = control<QLabel>(*window, name);
        QVERIFY2(widthOf(*label, label->text()) <= label->contentsRect().width(), name);
        QVERIFY2(label->geometry().right() < panelEnd, name);
    }
    for (const char* name : {"cmbNrHadithi", "CmbNrFonti"}) {
        auto* box = control<QComboBox>(*window, name);
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = true;
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, box);
        for (int i = 0; i < box->count(); ++i)
            QVERIFY2(widthOf(*box->lineEdit(), box->itemText(i)) <= field.width(),
                     qPrintable(box->itemText(i)));
    }
    auto* search = control<QLineEdit>(*window, "txtKerkim");
    QVERIFY(widthOf(*search, search->text()) <= search->contentsRect().width());
}

void TestFitAndFocus::everyTextOfTheAboutWindowFits()
{
    AboutWindow about;
    about.show();
    about.activateWindow();
    // A window manager may keep a tool window that no program window opened from the focus.
    if (!QTest::qWaitForWindowActive(&about))
        QApplication::setActiveWindow(&about);
    auto* button = control<QWidget>(about, "Command1");
    QTRY_VERIFY(button->hasFocus());
    const QImage focused = about.grab().toImage();
    const qreal ratio = focused.devicePixelRatio();
    button->clearFocus();
    QTRY_VERIFY(!button->hasFocus());
    // What the button draws, its focus ring included, found as the pixels that the focus
    // changes together with the button's own.
    const QRect drawn =
        differing(focused, about.grab().toImage()) |
        QRectF(QPointF(button->pos()) * ratio, QSizeF(button->size()) * ratio).toRect();
    for (QLabel* label : about.findChildren<QLabel*>()) {
        const QRect ink = inkOf(*label, ratio);
        if (label->wordWrap()) { // the terms of use wrap inside a box of fixed size
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), Qt::TextWordWrap | label->alignment(), label->text());
            QVERIFY2(needed.height() <= label->height(), qPrintable(label->objectName()));
        } else { // sized to its text: nothing cut off at the window's right edge
            QVERIFY2(label->geometry().right() < about.width(), qPrintable(label->objectName()));
        }
        // Clear of the button and its ring by a pixel at least.
        QVERIFY2(!ink.adjusted(-1, -1, 1, 1).intersects(drawn),
                 qPrintable(QStringLiteral("%1: ink %2,%3 %4x%5, button %6,%7 %8x%9")
                                .arg(label->objectName())
                                .arg(ink.x())
                                .arg(ink.y())
                                .arg(ink.width())
                                .arg(ink.height())
                                .arg(drawn.x())
                                .arg(drawn.y())
                                .arg(drawn.width())
                                .arg(drawn.height())));
    }
    // The author's name is underlined whole: below its letters, the line's colour runs on at
    // least from the first letter's left to the last one's right.
    const QImage shown = about.grab().toImage();
    const QRect name = inkOf(*control<QLabel>(about, "Label1_1"), ratio);
    const QRgb line = about.palette().color(QPalette::Base).rgb();
    bool underlined = false;
    for (int y = name.bottom() + 1; y <= name.bottom() + 6 * ratio && !underlined; ++y) {
        bool whole = true;
        for (int x = name.left(); x <= name.right(); ++x)
            whole = whole && shown.pixel(x, y) == line;
        underlined = whole;
    }
    QVERIFY(underlined);
}

void TestFitAndFocus::messageBoxIsAsWideAsItsCaption()
{
    int width = 0;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        width = box->width();
        box->close();
    });
    showMessage(nullptr, QStringLiteral("Teksti nuk përmendet!"), MessageButtons::Ok);
    QFont title = QApplication::font();
    title.setBold(true);
    QVERIFY(width >= QFontMetrics(title).horizontalAdvance(kProgramTitle) + 100);
}

void TestFitAndFocus::focusedButtonStandsOutFromThePanel()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* button = control<PictureButton>(*window, "cmdKerkim");
    button->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(button->hasFocus());
    const QImage picture = window->grab().toImage();
    const qreal ratio = picture.devicePixelRatio();
    // Two logical pixels outside the button, at the middle of each side.
    const QRect around = button->geometry().adjusted(-2, -2, 2, 2);
    for (const QPoint at :
         {QPoint(around.center().x(), around.top()), QPoint(around.center().x(), around.bottom()),
          QPoint(around.left(), around.center().y()),
          QPoint(around.right(), around.center().y())}) {
        const QColor ring = picture.pixelColor((QPointF(at) * ratio).toPoint());
        QVERIFY2(contrast(ring, kNavy) >= 3, qPrintable(ring.name()));
    }
    button->clearFocus();
    const QImage unfocused = window->grab().toImage();
    QCOMPARE(unfocused.pixelColor((QPointF(around.center().x(), around.top()) * ratio).toPoint()),
             kNavy);
}

void TestFitAndFocus::enterPressesTheFocusedButton()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    view->setSelStart(5);
    auto* start = control<PictureButton>(*window, "cmdFillimDoc");
    start->setFocus(Qt::TabFocusReason);
    QTest::keyClick(start, Qt::Key_Return);
    QTRY_COMPARE(view->SelStart(), 0);
}

void TestFitAndFocus::menuKeyOpensTheViewsMenuAtTheCaret()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* menu = control<QMenu>(*window, "mnuPopupRtf");
    view->setFocus();
    view->setSelStart(8);
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
          std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        QTest::keyClick(view, key, modifiers);
        QTRY_VERIFY(menu->isVisible());
        const QPoint caret = view->viewport()->mapToGlobal(view->cursorRect().bottomLeft());
        QVERIFY((menu->pos() - caret).manhattanLength() <= 2);
        QCOMPARE(menu->actions().size(), 2);
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
    }
    // Windows hands the view Shift+F10 as a request for a menu, not as a key; a request by
    // the mouse is the right button's, answered on its release only.
    QContextMenuEvent byKeyboard(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(view, &byKeyboard);
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    QTRY_VERIFY(!menu->isVisible());
    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(5, 5),
                              view->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view->viewport(), &byMouse);
    QTest::qWait(50);
    QVERIFY(!menu->isVisible());
}

void TestFitAndFocus::ctrlFAndF3Search()
{
    const auto window = startedWindow();
    QVERIFY(window);
    auto* view = control<RichTextView>(*window, "Rtf1");
    auto* search = control<QLineEdit>(*window, "txtKerkim");
    view->setFocus();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(search->hasFocus());
    QTRY_COMPARE(search->selectedText(), search->text());
    search->setText(QStringLiteral("fjalë"));
    QTest::keyClick(window.get(), Qt::Key_F3);
    const int first = view->SelStart();
    QCOMPARE(view->SelText(), QStringLiteral("fjalë"));
    QTest::keyClick(window.get(), Qt::Key_F3);
    QVERIFY(view->SelStart() > first);
    QCOMPARE(view->SelText(), QStringLiteral("fjalë"));
}

QTEST_MAIN(TestFitAndFocus)
#include "tst_fit_and_focus.moc"
