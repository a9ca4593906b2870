#include "albanian_translator.h"
#include "command_line.h"
#include "font_stand_ins.h"
#include "main_window.h"
#include "message_box.h"
#include "starter_output.h"
#include "window_system_check.h"

#include <QApplication>
#include <QDir>

#include <exception>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char* argv[])
{
#ifdef __GLIBC__
    // glibc raises its threshold for serving a block from its own mapping each time such a block
    // is freed: after the parser's text was let go, the document's growing arrays came from the
    // heap and left their old copies there, 18 MB of the ten-times book. A fixed threshold keeps
    // every large block in a mapping of its own, given back when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    const velmora::CommandLine commandLine =
        velmora::readCommandLine(velmora::commandLineArguments(argc, argv), QDir::currentPath());
    switch (commandLine.outcome) {
    case velmora::CommandLine::Outcome::Answer:
        velmora::tellStarter(commandLine.text, velmora::StarterStream::Output);
        return EXIT_SUCCESS;
    case velmora::CommandLine::Outcome::Refuse:
        velmora::tellStarter(commandLine.text, velmora::StarterStream::Error);
        return EXIT_FAILURE;
    case velmora::CommandLine::Outcome::Start: break;
    }
    if (const QString missing = velmora::missingDisplay(commandLine.platform); !missing.isEmpty()) {
        velmora::tellStarter(missing, velmora::StarterStream::Error);
        return EXIT_FAILURE;
    }
    std::optional<velmora::WindowSystemStart> windowSystemStart(std::in_place);
    QApplication app(argc, argv);
    windowSystemStart.reset();
    velmora::AlbanianTranslator albanian;
    QApplication::installTranslator(&albanian);
    velmora::installFontStandIns();
    try {
        velmora::MainWindow frmMain;
        if (!frmMain.Form_Load())
            return EXIT_FAILURE;
        return QApplication::exec();
    } catch (const std::exception& failure) {
        // Nothing in the program throws on purpose: this is a window that could not be made.
        velmora::showMessage(nullptr, QStringLiteral("Dritarja e programit nuk u krijua: %1")
                                          .arg(QString::fromLocal8Bit(failure.what())));
        return EXIT_FAILURE;
    }
}
