#include "albanian_translator.h"
#include "font_stand_ins.h"
#include "main_window.h"

#include "message_box.h"

#include <QApplication>

#include <exception>

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
    QApplication app(argc, argv);
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
