#pragma once
// What differs between the systems the program runs on, in one file a system
// (operating_system_linux.cpp, _windows.cpp) that the build picks: nothing else asks.

#include <QString>
#include <QStringList>

namespace velmora {

// The process's arguments, its own name first. Windows hands main() its arguments in the ANSI
// code page, which cannot spell every letter; there they are read from the command line itself.
QStringList processArguments(int argc, char* argv[]);

enum class StarterStream { Output, Error };
// Text for the person who started the program where there is no window to show it in: on
// Linux standard output or error. A Windows GUI program has no console of its own: the text goes
// to the file or pipe it was given, else to its starter's console, else into a message box.
void tellStarter(const QString& text, StarterStream stream);

// One line saying that no graphical display can be reached, or nothing (Windows always has its
// desktop). platform and display are those asked for on the command line, if any.
QString missingDisplay(const QString& platform, const QString& display);

// Sets the allocator up for a program that lets go of a large block while another grows.
void tuneMemoryAllocator();

} // namespace velmora
