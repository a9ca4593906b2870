#pragma once
// The one seam through which the program asks and tells the user something in a modal box.
// Tests replace the handler to answer boxes without a window system.

#include <QString>
#include <functional>

class QWidget;

namespace velmora {

inline const QString kProgramTitle = QStringLiteral("Velmora 2.0");

enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

// Shows a modal box captioned with the program title, without an icon, the first button the
// default. Returns the answer; closing the box counts as Cancel (or Ok when Ok is the only button).
MessageAnswer showMessage(QWidget* parent, const QString& text,
                          MessageButtons buttons = MessageButtons::Ok);

using MessageBoxHandler =
    std::function<MessageAnswer(QWidget* parent, const QString& text, MessageButtons buttons)>;

// Replaces the real boxes (tests); an empty handler restores them. Returns the previous one.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

} // namespace velmora
