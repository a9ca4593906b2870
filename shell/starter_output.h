#pragma once
// Text for the person who started the program, shown where they can see it when there is no
// window to show it in: the answer to --help or --version, a command line not understood, a
// missing display.

#include <QString>

namespace velmora {

enum class StarterStream { Output, Error };

// On Linux to standard output or standard error. A Windows GUI program has no console of its
// own: the text goes to the file or pipe the program was given, else to the console of the
// program that started it (a command prompt), else into a message box.
void tellStarter(const QString& text, StarterStream stream);

} // namespace velmora
