#pragma once
// What the program makes of its command line. It reads one thing, Velmora.rtf in the working
// folder, and takes no file and no setting; --help and --version are answered, and anything it
// does not know is named rather than silently ignored. Qt's own options (-platform, -style,
// -display, ..., with one dash or two, as Qt reads them) still reach Qt, whatever they are: Qt
// takes them out of the arguments as the application starts, and only what it leaves is the
// program's to judge. Only a --word=value is refused before, since Qt takes none.

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
    QString display;  // the display asked for with -display, if any
};

// Before Qt has seen the arguments (the process's own, its name first): --help and --version
// are answered, and a --word that is not the program's is refused; Qt's options are words
// after one dash and are left to Qt. workingFolder is named in the help, as the folder the
// book is read from.
CommandLine readCommandLine(const QStringList& arguments, const QString& workingFolder);

// The arguments Qt left once the application started: whatever is there is not understood.
CommandLine readArgumentsQtLeft(const QStringList& arguments);

} // namespace velmora
