#include "window_system_check.h"

#include "starter_output.h"

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
std::vector<HeldMessage>* g_held = nullptr;

[[noreturn]] void endWithoutWindowSystem(const QString& fatal)
{
    bool display = false;
    for (const HeldMessage& held : *g_held)
        display = display || held.text.contains(QLatin1String("connect to display"));
    if (display) {
        const QString name = qEnvironmentVariable("DISPLAY");
        tellStarter(QStringLiteral("velmora: ka nevojë për një ekran grafik, por ekrani «%1» nuk "
                                   "mund të hapet.\n")
                        .arg(name),
                    StarterStream::Error);
    } else {
        // Some other reason, in Qt's own words.
        for (const HeldMessage& held : *g_held)
            tellStarter(held.text + QLatin1Char('\n'), StarterStream::Error);
        tellStarter(fatal + QLatin1Char('\n'), StarterStream::Error);
    }
    std::_Exit(EXIT_FAILURE);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        endWithoutWindowSystem(text);
    g_held->push_back({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

QString missingDisplay(const QString& platform)
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Q_UNUSED(platform);
    return {};
#else
    const QString chosen = platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Only the desktop window systems need a display; offscreen, vnc and the like do not.
    const bool needsOne = chosen.isEmpty() || chosen.startsWith(QLatin1String("xcb"));
    if (!needsOne || x11 || (chosen.isEmpty() && wayland))
        return {};
    return QStringLiteral("velmora: ka nevojë për një ekran grafik, por nuk ka asnjë këtu "
                          "(DISPLAY është bosh).\n");
#endif
}

WindowSystemStart::WindowSystemStart()
{
    g_held = new std::vector<HeldMessage>;
    g_previousHandler = qInstallMessageHandler(holdMessage);
}

WindowSystemStart::~WindowSystemStart()
{
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& held : *g_held)
        qt_message_output(held.type,
                          QMessageLogContext(held.file, held.line, held.function, held.category),
                          held.text);
    delete g_held;
    g_held = nullptr;
}

} // namespace velmora
