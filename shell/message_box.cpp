#include "message_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace velmora {

namespace {

MessageBoxHandler& currentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

// A window manager writes the caption in a title bar beside its buttons, in a bold face often
// larger than the window's; a box narrower than that shows "Velm… 2.0". Title fonts and buttons
// differ between window managers, so this errs on the wide side.
int captionWidth(const QWidget& box, const QString& caption)
{
    constexpr double kTitleFontScale = 1.3;
    constexpr int kTitleButtons = 3 * 24 + 2 * 16; // three buttons, an icon and the margins
    QFont title = box.font();
    title.setBold(true);
    return qRound(QFontMetrics(title).horizontalAdvance(caption) * kTitleFontScale) + kTitleButtons;
}

MessageAnswer showRealBox(QWidget* parent, const QString& text, MessageButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::NoButton, parent);
    // QMessageBox sizes itself to its text and buttons; a spacer across its grid keeps it as
    // wide as its caption needs.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(captionWidth(box, kProgramTitle), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
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
