#include "albanian_translator.h"
#include "main_window.h"

#include "message_box.h"

#include <QApplication>

#include <exception>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    velmora::AlbanianTranslator albanian;
    QApplication::installTranslator(&albanian);
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
