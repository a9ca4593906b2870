// One search step at a time, through its real paths: the three kinds of selection, the restart
// question answered either way, and the search from the top.

#include "message_script.h"
#include "rich_text_view.h"
#include "test_books.h"
#include "text_search.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QtTest>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kQuestion = QStringLiteral(
    "Teksti nuk përmendet më!\r\nA dëshironi të fillon kërkimi prej fillimit të tekstit?");
const QString kNotFound = QStringLiteral("Teksti nuk përmendet!");
const QString kEmpty = QStringLiteral("Shëno diçka në kutizën për kërkim!");

// "O" and "C" in a row's answers stand for OK and Cancel; "Q", "N", "E" in its messages for the
// restart question, "not found" and "type something".
QList<MessageAnswer> answersOf(const QString& letters) {
    QList<MessageAnswer> answers;
    for (QChar c : letters)
        answers << (c == u'C' ? MessageAnswer::Cancel : MessageAnswer::Ok);
    return answers;
}

QString lettersOf(const QStringList& messages) {
    QString letters;
    for (const QString& m : messages)
        letters += m == kQuestion ? u'Q' : m == kNotFound ? u'N' : m == kEmpty ? u'E' : u'?';
    return letters;
}

} // namespace

class TestTextSearch : public QObject {
    Q_OBJECT

private slots:
    void step_data();
    void step();
    void repeatedStepsWalkThroughTheText();
    void emptySearchTextTellsAndLeavesViewAlone();
    void messagesAreExact();
    void matchOutOfSightIsShownAThirdDown();
    void realBoxesSpeakAlbanian();
};

void TestTextSearch::step_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedLength");
    QTest::addColumn<QString>("messages");

    const QString abAB = QStringLiteral("ab AB ab");
    QTest::newRow("caret at the start finds the first occurrence")
        << abAB << "ab" << 0 << 0 << "" << 0 << 2 << "";
    QTest::newRow("an exact match steps on, letter case ignored when finding")
        << abAB << "ab" << 0 << 2 << "" << 3 << 2 << "";
    QTest::newRow("a match in other letter case resumes after its word")
        << abAB << "ab" << 3 << 2 << "" << 6 << 2 << "";
    QTest::newRow("the last exact match asks, and OK restarts from the top")
        << abAB << "ab" << 6 << 2 << "O" << 0 << 2 << "Q";
    QTest::newRow("the last exact match asks, and Cancel keeps it selected")
        << abAB << "ab" << 6 << 2 << "C" << 6 << 2 << "Q";
    QTest::newRow("a caret inside the last occurrence asks, then finds from the top")
        << abAB << "ab" << 7 << 0 << "O" << 0 << 2 << "Q";
    QTest::newRow("an occurrence that runs past the caret is found from the top")
        << "xx ab" << "ab" << 4 << 0 << "O" << 3 << 2 << "Q";
    QTest::newRow("an absent text asks, then says so with the caret at the top")
        << abAB << "xy" << 4 << 0 << "O" << 0 << 0 << "QN";
    QTest::newRow("an absent text from the top asks and says so as well")
        << abAB << "xy" << 0 << 0 << "O" << 0 << 0 << "QN";
    QTest::newRow("the only occurrence selected asks twice at most")
        << "ab" << "ab" << 0 << 2 << "OO" << 0 << 2 << "Q";
    QTest::newRow("an occurrence inside a longer word is found")
        << "i Dërguari tha" << "guari" << 0 << 0 << "" << 5 << 5 << "";
    QTest::newRow("overlapping occurrences are stepped over")
        << "aaaa" << "aa" << 0 << 2 << "" << 2 << 2 << "";
    QTest::newRow("a leading space does not advance past its occurrence")
        << "x AB" << " ab" << 1 << 3 << "" << 1 << 3 << "";
    QTest::newRow("a text of spaces is searched for")
        << "a  b" << "  " << 0 << 0 << "" << 1 << 2 << "";
    QTest::newRow("a heading line selected by a jump resumes after its number")
        << "1 Hyrja\nab ab" << "ab" << 0 << 7 << "" << 8 << 2 << "";
    QTest::newRow("Cancel after another selection leaves the caret where it moved")
        << abAB << "zz" << 4 << 1 << "C" << 5 << 0 << "Q";
    QTest::newRow("Albanian letters match in either case")
        << "ÇKA ËSHTË" << "çka ësh" << 0 << 0 << "" << 0 << 7 << "";
}

void TestTextSearch::step() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, answers);
    QFETCH(int, expectedStart);
    QFETCH(int, expectedLength);
    QFETCH(QString, messages);

    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:") + text));
    view.setSelStart(selStart);
    view.setSelLength(selLength);
    MessageScript script(answersOf(answers));

    QVERIFY(searchStep(view, search, nullptr));
    QCOMPARE(lettersOf(script.shown()), messages);
    QCOMPARE(view.SelStart(), expectedStart);
    QCOMPARE(view.SelLength(), expectedLength);
}

void TestTextSearch::repeatedStepsWalkThroughTheText() {
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:ab AB ab")));
    view.setSelStart(0);
    MessageScript script({MessageAnswer::Ok});
    QList<int> starts;
    for (int i = 0; i < 4; ++i) {
        searchStep(view, QStringLiteral("ab"), nullptr);
        starts << view.SelStart();
    }
    QCOMPARE(starts, (QList<int>{0, 3, 6, 0}));
    QCOMPARE(lettersOf(script.shown()), QStringLiteral("Q"));
}

void TestTextSearch::emptySearchTextTellsAndLeavesViewAlone() {
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:ab AB ab")));
    view.setSelStart(3);
    view.setSelLength(2);
    MessageScript script;
    QVERIFY(!searchStep(view, QString(), nullptr));
    QCOMPARE(lettersOf(script.shown()), QStringLiteral("E"));
    QCOMPARE(view.SelStart(), 3);
    QCOMPARE(view.SelLength(), 2);
}

void TestTextSearch::messagesAreExact() {
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:ab")));
    MessageScript script;
    searchStep(view, QStringLiteral("xy"), nullptr);
    QCOMPARE(script.shown(), (QStringList{kQuestion, kNotFound}));
    QCOMPARE(script.buttons(), (QList<MessageButtons>{MessageButtons::OkCancel, MessageButtons::Ok}));
}

void TestTextSearch::matchOutOfSightIsShownAThirdDown() {
    QString book = QStringLiteral("T:fillimi gjeje\n");
    for (int line = 0; line < 600; ++line)
        book += QStringLiteral("|T:Rreshti %1 i librit%2.\n").arg(line).arg(line == 300 ? " gjeje" : "");
    RichTextView view;
    view.resize(300, 300);
    view.show();
    QVERIFY(loadBook(view, book));
    MessageScript script;
    const auto depthOfMatch = [&view] {
        QTextCursor match(view.document());
        match.setPosition(view.SelStart());
        return view.cursorRect(match).top();
    };
    view.setSelStart(0);
    searchStep(view, QStringLiteral("gjeje"), nullptr); // on screen: the view stays
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    searchStep(view, QStringLiteral("gjeje"), nullptr);
    QCOMPARE(view.SelText(), QStringLiteral("gjeje"));
    const int third = view.viewport()->height() / 3;
    QVERIFY2(qAbs(depthOfMatch() - third) < 20, qPrintable(QString::number(depthOfMatch())));
}

void TestTextSearch::realBoxesSpeakAlbanian() {
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons())
            seen << button->text();
        QTest::keyClick(box, Qt::Key_Escape); // closing the box counts as Cancel
    });
    QCOMPARE(showMessage(nullptr, kQuestion, MessageButtons::OkCancel), MessageAnswer::Cancel);
    seen.sort();
    QCOMPARE(seen, (QStringList{QStringLiteral("Anulo"), QStringLiteral("OK")}));
}

QTEST_MAIN(TestTextSearch)
#include "tst_text_search.moc"
