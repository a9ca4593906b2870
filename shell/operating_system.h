#pragma once
// What differs between the systems the program runs on. Each system has a file of its own
// (operating_system_linux.cpp, operating_system_windows.cpp), and the build compiles the one for
// the system it builds for: nothing else in the program asks which system it is on.

#include <QString>
#include <QStringList>

namespace velmora {

// The process's arguments, its own name first. Windows hands main() its arguments in the ANSI
// code page, which cannot spell every letter; there they are read from the command line itself.
QStringList processArguments(int argc, char* argv[]);

enum class StarterStream { Output, Error };

// Text for the person who started the program, shown where they can see it when there is no
// window to show it in: the answer to --help or --version, a command line not understood, a
// missing display. On Linux it goes to standard output or standard error. A Windows GUI program
// has no console of its own: the text goes to the file or pipe the program was given, else to
// the console of the program that started it (a command prompt), else into a message box.
void tellStarter(const QString& text, StarterStream stream);

// One line saying that no graphical display can be reached, or an empty string. platform and
// display are the window system and the display asked for on the command line, if any.
// Windows always has its desktop.
QString missingDisplay(const QString& platform, const QString& display);

// Called first in main(): sets the memory allocator up for a program that lets go of a large
// block (the parser's text) while another grows (the view's document).
void tuneMemoryAllocator();

} // namespace velmora
