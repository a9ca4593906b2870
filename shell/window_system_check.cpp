#include "window_system_check.h"

#include "operating_system.h"

#include <QtGlobal>

#include <cstdlib>
#include <vector>

namespace velmora {

namespace {

// The context's strings are Qt's own static ones, or null.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler g_previousHandler = nullptr;
std::vector<HeldMessage> g_held;
QString g_display; // named in the message

[[noreturn]] void endWithoutWindowSystem(const QString& fatal)
{
    bool display = false;
    for (const HeldMessage& held : g_held)
        display = display || held.text.contains(QLatin1String("connect to display"));
    if (display) {
        tellStarter(QStringLiteral("velmora: ka nevojë për një ekran grafik, por ekrani «%1» nuk "
                                   "mund të hapet.\n")
                        .arg(g_display),
                    StarterStream::Error);
    } else {
        // Some other reason, in Qt's own words.
        for (const HeldMessage& held : g_held)
            tellStarter(held.text + QLatin1Char('\n'), StarterStream::Error);
        tellStarter(fatal + QLatin1Char('\n'), StarterStream::Error);
    }
    std::_Exit(EXIT_FAILURE);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        endWithoutWindowSystem(text);
    g_held.push_back({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

void holdQtMessages(const QString& display)
{
    g_display = display;
    g_previousHandler = qInstallMessageHandler(holdMessage);
}

void passOnQtMessages()
{
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& held : g_held)
        qt_message_output(held.type,
                          QMessageLogContext(held.file, held.line, held.function, held.category),
                          held.text);
    g_held.clear();
}

} // namespace velmora
