#include "operating_system.h"

#include "message_box.h"

#include <windows.h>

#include <shellapi.h>

namespace velmora {

namespace {

bool writeTo(HANDLE handle, const QString& text)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) // a console takes UTF-16 whatever its code page
        return WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(text.utf16()),
                             DWORD(text.size()), &written, nullptr);
    const QByteArray utf8 = text.toUtf8();
    return WriteFile(handle, utf8.constData(), DWORD(utf8.size()), &written, nullptr);
}

} // namespace

QStringList processArguments(int, char*[])
{
    QStringList arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
    return arguments;
}

void tellStarter(const QString& text, StarterStream stream)
{
    const QString lines = QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (writeTo(
            GetStdHandle(stream == StarterStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
            lines))
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        // The prompt came back when the program started; the text follows it on a line of
        // its own.
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        const bool written = writeTo(console, QStringLiteral("\r\n") + lines);
        if (console != INVALID_HANDLE_VALUE)
            CloseHandle(console);
        FreeConsole();
        if (written)
            return;
    }
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.trimmed().utf16()),
                reinterpret_cast<const wchar_t*>(kProgramTitle.utf16()), MB_OK);
}

QString missingDisplay(const QString&, const QString&)
{
    return {};
}

void tuneMemoryAllocator() {}

} // namespace velmora
