#include "albanian_translator.h"
#include "command_line.h"
#include "font_stand_ins.h"
#include "main_window.h"
#include "message_box.h"
#include "operating_system.h"
#include "window_system_check.h"

#include <QApplication>
#include <QDir>

#include <exception>

namespace {

// Tells the starter the answer or the refusal; the program's status.
int answered(const velmora::CommandLine& line)
{
    const bool refused = line.outcome == velmora::CommandLine::Outcome::Refuse;
    velmora::tellStarter(line.text,
                         refused ? velmora::StarterStream::Error : velmora::StarterStream::Output);
    return refused ? EXIT_FAILURE : EXIT_SUCCESS;
}

} // namespace

int main(int argc, char* argv[])
{
    velmora::tuneMemoryAllocator();
    const velmora::CommandLine commandLine =
        velmora::readCommandLine(velmora::processArguments(argc, argv), QDir::currentPath());
    if (commandLine.outcome != velmora::CommandLine::Outcome::Start)
        return answered(commandLine);
    if (const QString missing = velmora::missingDisplay(commandLine.platform, commandLine.display);
        !missing.isEmpty())
        return answered({velmora::CommandLine::Outcome::Refuse, missing, {}, {}});
    velmora::holdQtMessages(commandLine.display.isEmpty() ? qEnvironmentVariable("DISPLAY")
                                                          : commandLine.display);
    QApplication app(argc, argv);
    velmora::passOnQtMessages();
    if (const velmora::CommandLine rest = velmora::readArgumentsQtLeft(QApplication::arguments());
        rest.outcome != velmora::CommandLine::Outcome::Start)
        return answered(rest);
    velmora::AlbanianTranslator albanian;
    QApplication::installTranslator(&albanian);
    velmora::installFontStandIns();
    try {
        velmora::MainWindow frmMain;
        if (!frmMain.Form_Load())
            return EXIT_FAILURE;
        return QApplication::exec();
    } catch (const std::exception&) {
        // Nothing in the program throws on purpose, and a damaged book is reported where it is
        // read: this is a window that could not be made, memory gone. The exception's own words
        // are English and a developer's.
        velmora::showMessage(nullptr, QStringLiteral("Dritarja e programit nuk u krijua."));
        return EXIT_FAILURE;
    }
}
