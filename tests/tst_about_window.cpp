// The About window: its layout, and which clicks close it.

#include "about_window.h"
#include "picture_button.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace velmora;

namespace {

// Clicks the window at a point of its client area as the window system would: on whatever
// control takes the mouse there.
void clickAt(AboutWindow& window, QPoint at)
{
    QWidget* target = window.childAt(at);
    if (!target)
        target = &window;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&window, at));
}

} // namespace

class TestAboutWindow : public QObject {
    Q_OBJECT

private slots:
    void isAFixedToolWindowInTheMiddle();
    void labelsAreWhatTheReaderSees_data();
    void labelsAreWhatTheReaderSees();
    void labelsStandInReadingOrder();
    void linesMatchTheLayout();
    void clicksThatClose_data();
    void clicksThatClose();
    void labelClicksLeaveItOpen();
};

void TestAboutWindow::isAFixedToolWindowInTheMiddle()
{
    AboutWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Rreth programit..."));
    QVERIFY(window.windowIcon().isNull());
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY(qAbs(window.geometry().center().x() - centre.x()) <= 1);
    QVERIFY(qAbs(window.geometry().center().y() - centre.y()) <= 1);

    auto* button = window.findChild<PictureButton*>(QStringLiteral("Command1"));
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QStringLiteral("Kthehu"));
    QVERIFY(button->text().isEmpty());
    // Navy over the picture area and on the uncovered strip below it; the button in front.
    const QImage surface = window.grab().toImage();
    QCOMPARE(surface.pixelColor(200, 40), QColor(0, 30, 80));
    QCOMPARE(surface.pixelColor(100, window.height() - 3), QColor(0, 30, 80));
    QCOMPARE(window.childAt(button->geometry().center()), button);
}

void TestAboutWindow::labelsAreWhatTheReaderSees_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("fixedSize");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QColor>("colour"); // invalid: the highlighted-text colour
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("text"); // empty: the program's own credit, any words

    const int left = Qt::AlignLeft;
    const QColor ink;
    QTest::newRow("0, the organisation") << 0 << false << "MS Sans Serif" << 12.0
                                         << int(QFont::Normal) << false << ink << left << "";
    QTest::newRow("17, the maker's mark")
        << 17 << false << "Arial Black" << 14.25 << int(QFont::Black) << false << ink << left << "";
    QTest::newRow("18, the year") << 18 << false << "Arial Narrow" << 9.75 << int(QFont::Normal)
                                  << false << ink << left << "2000";
    QTest::newRow("19, the maker's name")
        << 19 << false << "Arial" << 9.75 << int(QFont::Normal) << true << ink << left << "";
    QTest::newRow("6, the title") << 6 << false << "Arial" << 20.25 << int(QFont::Bold) << false
                                  << ink << left << "Velmora 2.0";
    QTest::newRow("1, the author") << 1 << false << "MS Sans Serif" << 9.75 << int(QFont::Normal)
                                   << false << ink << left << "";
    QTest::newRow("22, thanks heading") << 22 << false << "MS Sans Serif" << 9.75
                                        << int(QFont::Bold) << false << ink << left << "Mirënjohje";
    QTest::newRow("23, the publisher's thanks") << 23 << false << "MS Sans Serif" << 9.75
                                                << int(QFont::Normal) << false << ink << left << "";
    QTest::newRow("5, programming heading")
        << 5 << false << "MS Sans Serif" << 9.75 << int(QFont::Bold) << false << ink << left
        << "Programimi";
    QTest::newRow("11, the programmer") << 11 << false << "MS Sans Serif" << 9.75
                                        << int(QFont::Normal) << false << ink << left << "";
    QTest::newRow("14, the e-mail address")
        << 14 << false << "MS Sans Serif" << 9.75 << int(QFont::Normal) << false
        << QColor(255, 255, 128) << int(Qt::AlignRight) << "";
    QTest::newRow("12, place and date")
        << 12 << false << "MS Sans Serif" << 9.75 << int(QFont::Normal) << false << ink
        << int(Qt::AlignHCenter) << "";
    QTest::newRow("13, the terms of use") << 13 << true << "Arial" << 6.75 << int(QFont::Normal)
                                          << false << ink << int(Qt::AlignHCenter) << "";
}

void TestAboutWindow::labelsAreWhatTheReaderSees()
{
    QFETCH(int, index);
    QFETCH(bool, fixedSize);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(int, weight);
    QFETCH(bool, italic);
    QFETCH(QColor, colour);
    QFETCH(int, alignment);
    QFETCH(QString, text);

    AboutWindow window;
    auto* label = window.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(index));
    QVERIFY(label);
    QCOMPARE(label->parentWidget()->objectName(), QStringLiteral("Picture1"));
    if (fixedSize) {
        QVERIFY(label->wordWrap());
    } else {
        QCOMPARE(label->size(), label->sizeHint());
    }
    QCOMPARE(label->font().family(), family);
    QCOMPARE(label->font().pointSizeF(), points);
    QCOMPARE(int(label->font().weight()), weight);
    QCOMPARE(label->font().italic(), italic);
    QCOMPARE(label->palette().color(QPalette::WindowText),
             colour.isValid() ? colour : window.palette().color(QPalette::HighlightedText));
    QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
    QVERIFY(!label->autoFillBackground());
    if (text.isEmpty())
        QVERIFY(!label->text().trimmed().isEmpty());
    else
        QCOMPARE(label->text(), text);
    // Everything must be readable inside the window.
    const QRect shown = label->geometry().intersected(QRect(QPoint(), window.size()));
    QVERIFY2(shown == label->geometry(), qPrintable(label->text()));
    if (index == 11)
        QVERIFY(!label->toolTip().isEmpty());
}

// Top to bottom, the rows as a reader reads them, each row's labels left to right; no label's
// letters touch another's or the button.
void TestAboutWindow::labelsStandInReadingOrder()
{
    AboutWindow window;
    const QList<QList<int>> rows = {{0},  {17, 18, 19}, {6},      {1},  {22},
                                    {23}, {5},          {11, 14}, {12}, {13}};
    // Where a label's letters stand: a label sized to its text draws it from its top left.
    const auto inkOf = [&](int index) {
        const auto* label = window.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(index));
        if (!label || label->wordWrap())
            return label ? label->geometry() : QRect();
        const QFontMetrics metrics(label->font());
        const QRect box = label->contentsRect();
        const int baseline = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
        return metrics.tightBoundingRect(label->text())
            .translated(label->pos() + QPoint(box.left(), baseline));
    };
    QList<QRect> seen;
    int rowTop = -1;
    for (const QList<int>& row : rows) {
        int left = -1;
        for (const int index : row) {
            const QRect ink = inkOf(index);
            QVERIFY2(!ink.isEmpty() && ink.top() > rowTop && ink.left() > left,
                     qPrintable(QString::number(index)));
            left = ink.right();
            for (const QRect& other : seen)
                QVERIFY2(!ink.intersects(other), qPrintable(QString::number(index)));
            seen << ink;
        }
        rowTop = inkOf(row.first()).top();
    }
    const auto* button = window.findChild<PictureButton*>(QStringLiteral("Command1"));
    QVERIFY(button);
    for (const QRect& ink : seen)
        QVERIFY(!ink.intersects(button->geometry()));
}

void TestAboutWindow::linesMatchTheLayout()
{
    AboutWindow window;
    const QImage surface = window.grab().toImage();
    const QColor white = window.palette().color(QPalette::Base);
    // The thick line across the whole width, three pixels high around y = 64.
    for (const int x : {0, 100, 348})
        for (const int y : {63, 64, 65})
            QCOMPARE(surface.pixelColor(x, y), white);
    QCOMPARE(surface.pixelColor(100, 62), QColor(0, 30, 80));
    QCOMPARE(surface.pixelColor(100, 66), QColor(0, 30, 80));
    // The thin line under the author, from x = 32 to 128 at y = 120.
    QCOMPARE(surface.pixelColor(32, 120), white);
    QCOMPARE(surface.pixelColor(128, 120), white);
    QCOMPARE(surface.pixelColor(80, 119), QColor(0, 30, 80));
    QCOMPARE(surface.pixelColor(80, 121), QColor(0, 30, 80));
    QCOMPARE(surface.pixelColor(140, 120), QColor(0, 30, 80));
}

void TestAboutWindow::clicksThatClose_data()
{
    QTest::addColumn<QPoint>("at"); // in the window's client area; none: its close button

    QTest::newRow("the tick button") << QPoint(320, 240);
    QTest::newRow("the picture area away from the labels") << QPoint(300, 20);
    QTest::newRow("the thick line") << QPoint(300, 64);
    QTest::newRow("the thin line") << QPoint(110, 120);
    QTest::newRow("the strip below the picture area") << QPoint(100, 297);
    QTest::newRow("the close button") << QPoint(-1, -1);
}

void TestAboutWindow::clicksThatClose()
{
    QFETCH(QPoint, at);
    AboutWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (at.x() < 0) {
        QVERIFY(window.close());
    } else {
        QVERIFY2(!qobject_cast<QLabel*>(window.childAt(at)), "the point is on a label");
        clickAt(window, at);
    }
    QVERIFY(!window.isVisible());
}

void TestAboutWindow::labelClicksLeaveItOpen()
{
    AboutWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 13);
    for (QLabel* label : labels) {
        const QPoint centre = label->mapTo(&window, label->rect().center());
        if (!QRect(QPoint(), window.size()).contains(centre))
            continue;
        QCOMPARE(window.childAt(centre), label);
        clickAt(window, centre);
        QVERIFY2(window.isVisible(), qPrintable(label->objectName()));
    }
}

QTEST_MAIN(TestAboutWindow)
#include "tst_about_window.moc"
