#include "command_line.h"

#include "message_box.h"

#include <QCommandLineParser>
#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shellapi.h>
#endif

namespace velmora {

namespace {

// The options QGuiApplication and QApplication take from the command line themselves, and the
// X11 ones; "-reverse" and the like take no value.
constexpr const char* kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display",       "geometry",
};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The arguments as they were typed that named the options Qt did not know.
QStringList asTyped(const QStringList& arguments, const QStringList& names)
{
    QStringList typed;
    for (const QString& argument : arguments.mid(1)) {
        QString name = argument.section(QLatin1Char('='), 0, 0);
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        if (argument.startsWith(QLatin1Char('-')) && names.contains(name))
            typed << argument;
    }
    return typed.isEmpty() ? names : typed;
}

QString quoted(const QStringList& words)
{
    QStringList out;
    for (const QString& word : words)
        out << QStringLiteral("«%1»").arg(word);
    return out.join(QStringLiteral(", "));
}

QString helpText(const QString& workingFolder)
{
    return QStringLiteral("Përdorimi: velmora [--help] [--version]\n"
                          "\n"
                          "%1 shfaq librin «Velmora.rtf» nga dosja ku niset, tani:\n"
                          "  %2\n"
                          "Nuk merr skedarë të tjerë e as rregullime.\n"
                          "\n"
                          "  -h, --help      shfaq këtë ndihmë\n"
                          "  -v, --version   shfaq versionin\n")
        .arg(kProgramTitle, QDir::toNativeSeparators(workingFolder));
}

} // namespace

QStringList commandLineArguments(int argc, char* argv[])
{
    QStringList arguments;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
#else
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
#endif
    return arguments;
}

CommandLine readCommandLine(const QStringList& arguments, const QString& workingFolder)
{
    QCommandLineParser parser;
    // Qt's own options are single words after one dash: "-platform", not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help", "?"});
    const QCommandLineOption version(QStringList{"v", "version"});
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : kQtOptionsWithValue)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), {}, QStringLiteral("x")));
    for (const char* name : kQtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    CommandLine line;
    const QString refusal = QStringLiteral("velmora: %1 Shih «velmora --help».\n");
    if (!parser.parse(arguments)) {
        line.outcome = CommandLine::Outcome::Refuse;
        const QStringList unknown = parser.unknownOptionNames();
        line.text = unknown.isEmpty()
                        ? refusal.arg(QStringLiteral("rreshti i komandës nuk kuptohet: %1.")
                                          .arg(quoted(arguments.mid(1))))
                        : refusal.arg(QStringLiteral("opsion i panjohur: %1.")
                                          .arg(quoted(asTyped(arguments, unknown))));
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        line.outcome = CommandLine::Outcome::Refuse;
        line.text =
            refusal.arg(QStringLiteral("programi nuk merr skedarë (%1): lexon «Velmora.rtf» "
                                       "nga dosja ku niset.")
                            .arg(quoted(parser.positionalArguments())));
        return line;
    }
    if (parser.isSet(help)) {
        line.outcome = CommandLine::Outcome::Answer;
        line.text = helpText(workingFolder);
    } else if (parser.isSet(version)) {
        line.outcome = CommandLine::Outcome::Answer;
        line.text = kProgramTitle + QLatin1Char('\n');
    }
    line.platform = parser.value(QStringLiteral("platform"));
    return line;
}

} // namespace velmora
