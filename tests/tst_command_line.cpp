// What the program makes of its command line: before Qt starts, --help and --version answered,
// a --word=value named (Qt takes none), Qt's own options let through with one dash or two; what
// Qt leaves refused; and whether a graphical display is named at all.

#include "command_line.h"
#include "operating_system.h"

#include <QtTest>

using namespace velmora;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void arguments_data();
    void arguments();
    void argumentsQtLeft_data();
    void argumentsQtLeft();
    void displayIsNamed_data();
    void displayIsNamed();
};

void TestCommandLine::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Outcome>("outcome");
    QTest::addColumn<QStringList>("said"); // words the text must hold

    using Outcome = CommandLine::Outcome;
    QTest::newRow("nothing: the window opens") << QStringList{} << Outcome::Start << QStringList{};
    QTest::newRow("the version") << QStringList{"--version"} << Outcome::Answer
                                 << QStringList{"Velmora 2.0\n"};
    QTest::newRow("the help names the book and the folder it is read from")
        << QStringList{"-h"} << Outcome::Answer
        << QStringList{"«Velmora.rtf»", QDir::toNativeSeparators("/libri/i im"), "--version"};
    QTest::newRow("options with values Qt never takes, named as typed, even beside Qt's")
        << QStringList{"--open=po", "-style", "fusion", "--all=1"} << Outcome::Refuse
        << QStringList{"«--open=po», «--all=1»"};
    QTest::newRow("a value for an option that takes none")
        << QStringList{"--version=2"} << Outcome::Refuse << QStringList{"«--version=2»"};
    QTest::newRow("Qt's own options, also those of X11, are left to Qt")
        << QStringList{"-style", "fusion",   "-reverse", "-name",     "libri", "-visual",
                       "33",     "-display", ":7",       "-platform", "xcb"}
        << Outcome::Start << QStringList{};
    QTest::newRow("Qt's own options with two dashes, as Qt takes them")
        << QStringList{"--platform", "offscreen", "--reverse"} << Outcome::Start << QStringList{};
}

void TestCommandLine::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Outcome, outcome);
    QFETCH(QStringList, said);

    const CommandLine line =
        readCommandLine(QStringList{"velmora"} + arguments, QStringLiteral("/libri/i im"));
    QCOMPARE(line.outcome, outcome);
    for (const QString& words : said)
        QVERIFY2(line.text.contains(words), qPrintable(line.text));
    if (outcome != CommandLine::Outcome::Start)
        QVERIFY(line.text.endsWith(QLatin1Char('\n')));
    if (arguments.contains("-display")) { // where Qt is to connect
        QCOMPARE(line.display, ":7");
        QCOMPARE(line.platform, "xcb");
    }
    if (arguments.contains("--platform"))
        QCOMPARE(line.platform, "offscreen");
}

void TestCommandLine::argumentsQtLeft_data()
{
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("said"); // empty: the window opens

    QTest::newRow("Qt took everything") << QStringList{} << QStringList{};
    QTest::newRow("an option Qt does not know either")
        << QStringList{"-x", "--open"} << QStringList{"«-x», «--open»"};
    QTest::newRow("a file: the program reads only its own book")
        << QStringList{"tjetër.rtf"} << QStringList{"«tjetër.rtf»", "«Velmora.rtf»"};
}

void TestCommandLine::argumentsQtLeft()
{
    QFETCH(QStringList, left);
    QFETCH(QStringList, said);

    const CommandLine line = readArgumentsQtLeft(QStringList{"velmora"} + left);
    QCOMPARE(line.outcome,
             said.isEmpty() ? CommandLine::Outcome::Start : CommandLine::Outcome::Refuse);
    for (const QString& words : said)
        QVERIFY2(line.text.contains(words), qPrintable(line.text));
}

void TestCommandLine::displayIsNamed_data()
{
    QTest::addColumn<QString>("platform"); // -platform, else QT_QPA_PLATFORM
    QTest::addColumn<QString>("display");  // -display
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<bool>("missing");

    QTest::newRow("a text console: no display at all") << ""
                                                       << ""
                                                       << ""
                                                       << "" << true;
    QTest::newRow("an X display") << ""
                                  << ""
                                  << ":0"
                                  << "" << false;
    QTest::newRow("an X display named on the command line only") << ""
                                                                 << ":0"
                                                                 << ""
                                                                 << "" << false;
    QTest::newRow("a Wayland display") << ""
                                       << ""
                                       << ""
                                       << "wayland-0" << false;
    QTest::newRow("X asked for, only Wayland there") << "xcb"
                                                     << ""
                                                     << ""
                                                     << "wayland-0" << true;
    QTest::newRow("the offscreen platform needs none") << "offscreen"
                                                       << ""
                                                       << ""
                                                       << "" << false;
}

void TestCommandLine::displayIsNamed()
{
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, x11);
    QFETCH(QString, wayland);
    QFETCH(bool, missing);
#if defined(Q_OS_WIN)
    QSKIP("a Windows program always has its desktop");
#endif
    qputenv("DISPLAY", x11.toLocal8Bit());
    qputenv("WAYLAND_DISPLAY", wayland.toLocal8Bit());
    qunsetenv("QT_QPA_PLATFORM");
    const QString said = missingDisplay(platform, display);
    QCOMPARE(!said.isEmpty(), missing);
    if (missing) // one line
        QCOMPARE(said.count(QLatin1Char('\n')), 1);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
