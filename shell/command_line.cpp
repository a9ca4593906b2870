#include "command_line.h"

#include "message_box.h"

#include <QDir>

namespace velmora {

namespace {

const QStringList kHelp{"h", "help", "?"};
const QStringList kVersion{"v", "version"};

// The word an argument names: "-display" and "--display" alike, as Qt reads its own.
QString optionWord(const QString& argument)
{
    if (!argument.startsWith(QLatin1Char('-')))
        return {};
    return argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
}

QString quoted(const QStringList& words)
{
    QStringList out;
    for (const QString& word : words)
        out << QStringLiteral("«%1»").arg(word);
    return out.join(QStringLiteral(", "));
}

CommandLine refusal(const QString& reason)
{
    CommandLine line;
    line.outcome = CommandLine::Outcome::Refuse;
    line.text = QStringLiteral("velmora: %1 Shih «velmora --help».\n").arg(reason);
    return line;
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

CommandLine readCommandLine(const QStringList& arguments, const QString& workingFolder)
{
    CommandLine line;
    QStringList unknown;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QString word = argument.contains(QLatin1Char('=')) ? QString() : optionWord(argument);
        if (kHelp.contains(word)) {
            line = {CommandLine::Outcome::Answer, helpText(workingFolder), {}, {}};
        } else if (kVersion.contains(word)) {
            if (line.outcome == CommandLine::Outcome::Start) // the help, once asked for, wins
                line = {CommandLine::Outcome::Answer, kProgramTitle + QLatin1Char('\n'), {}, {}};
        } else if (argument.startsWith(QLatin1String("--")) &&
                   argument.contains(QLatin1Char('='))) {
            unknown << argument; // Qt takes no option with its value after "="
        } else if (word == QLatin1String("platform") && i + 1 < arguments.size()) {
            line.platform = arguments[++i];
        } else if (word == QLatin1String("display") && i + 1 < arguments.size()) {
            line.display = arguments[++i];
        }
    }
    return unknown.isEmpty() ? line : readArgumentsQtLeft(QStringList{{}} + unknown);
}

CommandLine readArgumentsQtLeft(const QStringList& arguments)
{
    QStringList options;
    QStringList files;
    for (const QString& argument : arguments.mid(1))
        (argument.startsWith(QLatin1Char('-')) ? options : files) << argument;
    if (!options.isEmpty())
        return refusal(QStringLiteral("opsion i panjohur: %1.").arg(quoted(options)));
    if (!files.isEmpty())
        return refusal(QStringLiteral("programi nuk merr skedarë (%1): lexon «Velmora.rtf» "
                                      "nga dosja ku niset.")
                           .arg(quoted(files)));
    return {};
}

} // namespace velmora
