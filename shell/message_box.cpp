#include "message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace velmora {

namespace {

MessageBoxHandler& currentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

MessageAnswer showRealBox(QWidget* parent, const QString& text, MessageButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::NoButton, parent);
    // Qt has no Albanian translation of its buttons; "OK" is also the Albanian word.
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (buttons == MessageButtons::OkCancel)
        box.setEscapeButton(box.addButton(QStringLiteral("Anulo"), QMessageBox::RejectRole));
    box.setDefaultButton(ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return box.clickedButton() == ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

} // namespace

MessageAnswer showMessage(QWidget* parent, const QString& text, MessageButtons buttons)
{
    if (const auto& handler = currentHandler())
        return handler(parent, text, buttons);
    return showRealBox(parent, text, buttons);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace velmora
