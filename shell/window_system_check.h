#pragma once
// Started where no graphical display can be reached (over ssh, from a text console), Qt ends
// the program with abort() and a paragraph that advises reinstalling it. The reader is told
// instead, in one line, what is missing, and the program ends with a failure status.

#include <QString>

namespace velmora {

// Lives while the QApplication is made. Qt's messages are held back meanwhile and passed on
// afterwards; should Qt give up on the window system, the reader gets one line naming the
// display that could not be opened, and the process ends with a failure status.
class WindowSystemStart {
public:
    explicit WindowSystemStart(const QString& display);
    ~WindowSystemStart();
    WindowSystemStart(const WindowSystemStart&) = delete;
    WindowSystemStart& operator=(const WindowSystemStart&) = delete;
};

} // namespace velmora
