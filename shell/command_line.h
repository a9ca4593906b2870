#pragma once
// What the program makes of its command line. It reads one thing, Velmora.rtf in the working
// folder, and takes no file and no setting; --help and --version are answered, and anything it
// does not know is named rather than silently ignored. Qt's own window-system options
// (-platform, -style, ...) still reach Qt.

#include <QString>
#include <QStringList>

namespace velmora {

struct CommandLine {
    enum class Outcome {
        Start,  // nothing to answer: open the window
        Answer, // --help or --version: text is the answer, the program ends successfully
        Refuse, // something not understood: text names it, the program ends with a failure
    };
    Outcome outcome = Outcome::Start;
    QString text;
    QString platform; // the window system asked for with -platform, if any
};

// The process's arguments, its own name first. On Windows they are read from the command line
// itself: argv holds them in the ANSI code page, which cannot spell every letter.
QStringList commandLineArguments(int argc, char* argv[]);

// arguments as the process got them, the program's own name first. workingFolder is named in
// the help, as the folder the book is read from.
CommandLine readCommandLine(const QStringList& arguments, const QString& workingFolder);

} // namespace velmora
