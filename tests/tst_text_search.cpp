// One search step at a time, through its real paths: the three kinds of selection, the restart
// question answered either way, and the search from the top.

#include "rich_text_view.h"
#include "test_books.h"
#include "text_search.h"

#include <QScrollBar>
#include <QtTest>

using namespace velmora;
using namespace velmora::test;

namespace {

// Answers the step's prompts from a script ("O" OK, "C" Cancel; OK when it runs out) and
// records them as letters: "Q" the restart question, "N" not found, "E" nothing to search for.
class PromptScript {
public:
    explicit PromptScript(QString answers = {}) : m_answers(std::move(answers)) {}

    SearchPrompter prompter()
    {
        return [this](SearchPrompt prompt) {
            m_shown += prompt == SearchPrompt::RestartFromTop ? u'Q'
                       : prompt == SearchPrompt::NotFound     ? u'N'
                                                              : u'E';
            const QChar answer = m_answers.isEmpty() ? u'O' : m_answers.front();
            m_answers.remove(0, 1);
            return answer != u'C';
        };
    }
    const QString& shown() const { return m_shown; }

private:
    QString m_answers;
    QString m_shown;
};

} // namespace

class TestTextSearch : public QObject {
    Q_OBJECT

private slots:
    void step_data();
    void step();
    void repeatedStepsWalkThroughTheText();
    void emptySearchTextTellsAndLeavesViewAlone();
    void absentTextAsksThenTells();
    void matchOutOfSightIsShownAThirdDown();
};

void TestTextSearch::step_data()
{
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
        << "xx ab"
        << "ab" << 4 << 0 << "O" << 3 << 2 << "Q";
    QTest::newRow("an absent text asks, then says so with the caret at the top")
        << abAB << "xy" << 4 << 0 << "O" << 0 << 0 << "QN";
    QTest::newRow("an absent text from the top asks and says so as well")
        << abAB << "xy" << 0 << 0 << "O" << 0 << 0 << "QN";
    QTest::newRow("the only occurrence selected asks twice at most")
        << "ab"
        << "ab" << 0 << 2 << "OO" << 0 << 2 << "Q";
    QTest::newRow("an occurrence inside a longer word is found")
        << "i Dërguari tha"
        << "guari" << 0 << 0 << "" << 5 << 5 << "";
    QTest::newRow("overlapping occurrences are stepped over")
        << "aaaa"
        << "aa" << 0 << 2 << "" << 2 << 2 << "";
    QTest::newRow("a leading space does not advance past its occurrence")
        << "x AB"
        << " ab" << 1 << 3 << "" << 1 << 3 << "";
    QTest::newRow("a text of spaces is searched for") << "a  b"
                                                      << "  " << 0 << 0 << "" << 1 << 2 << "";
    QTest::newRow("a heading line selected by a jump resumes after its number")
        << "1 Hyrja\nab ab"
        << "ab" << 0 << 7 << "" << 8 << 2 << "";
    QTest::newRow("Cancel after another selection leaves the caret where it moved")
        << abAB << "zz" << 4 << 1 << "C" << 5 << 0 << "Q";
    QTest::newRow("Albanian letters match in either case")
        << "ÇKA ËSHTË"
        << "çka ësh" << 0 << 0 << "" << 0 << 7 << "";
}

void TestTextSearch::step()
{
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
    PromptScript script(answers);

    QVERIFY(searchStep(view, search, script.prompter()));
    QCOMPARE(script.shown(), messages);
    QCOMPARE(view.SelStart(), expectedStart);
    QCOMPARE(view.SelLength(), expectedLength);
}

void TestTextSearch::repeatedStepsWalkThroughTheText()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:ab AB ab")));
    view.setSelStart(0);
    PromptScript script(QStringLiteral("O"));
    QList<int> starts;
    for (int i = 0; i < 4; ++i) {
        searchStep(view, QStringLiteral("ab"), script.prompter());
        starts << view.SelStart();
    }
    QCOMPARE(starts, (QList<int>{0, 3, 6, 0}));
    QCOMPARE(script.shown(), QStringLiteral("Q"));
}

void TestTextSearch::emptySearchTextTellsAndLeavesViewAlone()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:ab AB ab")));
    view.setSelStart(3);
    view.setSelLength(2);
    PromptScript script;
    QVERIFY(!searchStep(view, QString(), script.prompter()));
    QCOMPARE(script.shown(), QStringLiteral("E"));
    QCOMPARE(view.SelStart(), 3);
    QCOMPARE(view.SelLength(), 2);
}

void TestTextSearch::absentTextAsksThenTells()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:ab")));
    PromptScript script;
    searchStep(view, QStringLiteral("xy"), script.prompter());
    QCOMPARE(script.shown(), QStringLiteral("QN"));
}

void TestTextSearch::matchOutOfSightIsShownAThirdDown()
{
    QString book = QStringLiteral("T:fillimi gjeje\n");
    for (int line = 0; line < 600; ++line)
        book += QStringLiteral("|T:Rreshti %1 i librit%2.\n")
                    .arg(line)
                    .arg(line == 300 ? " gjeje" : "");
    RichTextView view;
    view.resize(300, 300);
    view.show();
    QVERIFY(loadBook(view, book));
    PromptScript script;
    const auto depthOfMatch = [&view] { return depthOf(view, view.SelStart()); };
    view.setSelStart(0);
    searchStep(view, QStringLiteral("gjeje"), script.prompter()); // on screen: the view stays
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    searchStep(view, QStringLiteral("gjeje"), script.prompter());
    QCOMPARE(view.SelText(), QStringLiteral("gjeje"));
    const int third = view.viewport()->height() / 3;
    QVERIFY2(qAbs(depthOfMatch() - third) < 20, qPrintable(QString::number(depthOfMatch())));
}

QTEST_MAIN(TestTextSearch)
#include "tst_text_search.moc"
