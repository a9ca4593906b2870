#pragma once
// Started where no graphical display can be reached (over ssh, from a text console), Qt ends
// the program with abort() and a paragraph that advises reinstalling it. The reader is told
// instead, in one line, what is missing, and the program ends with a failure status.

#include <QString>

namespace velmora {

// Around the making of the QApplication: Qt's messages are held back and passed on afterwards;
// should Qt give up on the window system, the reader's one line names display.
void holdQtMessages(const QString& display);
void passOnQtMessages();

} // namespace velmora
