#include "message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace velmora {

namespace {

MessageBoxHandler& currentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

MessageAnswer showRealBox(QWidget* parent, const QString& text, MessageButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    if (buttons == MessageButtons::OkCancel)
        box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return box.clickedButton() == ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

} // namespace

MessageAnswer showMessage(QWidget* parent, const QString& text, MessageButtons buttons) {
    if (const auto& handler = currentHandler())
        return handler(parent, text, buttons);
    return showRealBox(parent, text, buttons);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace velmora
