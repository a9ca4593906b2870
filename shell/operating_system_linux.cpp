#include "operating_system.h"

#include <QtGlobal>

#include <cstdio>
#include <malloc.h>

namespace velmora {

QStringList processArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void tellStarter(const QString& text, StarterStream stream)
{
    std::FILE* const out = stream == StarterStream::Output ? stdout : stderr;
    std::fputs(text.toLocal8Bit().constData(), out);
    std::fflush(out);
}

QString missingDisplay(const QString& platform, const QString& display)
{
    const QString chosen = platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform;
    const bool x11 = !display.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Only the desktop window systems need a display; offscreen, vnc and the like do not.
    const bool needsOne = chosen.isEmpty() || chosen.startsWith(QLatin1String("xcb"));
    if (!needsOne || x11 || (chosen.isEmpty() && wayland))
        return {};
    return QStringLiteral("velmora: ka nevojë për një ekran grafik, por nuk ka asnjë këtu "
                          "(DISPLAY është bosh).\n");
}

void tuneMemoryAllocator()
{
    // glibc raises its threshold for serving a block from its own mapping each time such a block
    // is freed: after the parser's text was let go, the document's growing arrays came from the
    // heap and left their old copies there, 18 MB of the ten-times book. A fixed threshold keeps
    // every large block in a mapping of its own, given back when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

} // namespace velmora
