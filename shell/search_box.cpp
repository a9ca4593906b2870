#include "search_box.h"

#include <QKeyEvent>
#include <QTimer>

namespace velmora {

void SearchBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    QTimer::singleShot(0, this, &SearchBox::GotFocus);
}

void SearchBox::keyPressEvent(QKeyEvent* event)
{
    int keyAscii = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        keyAscii = 13;
    else if (!event->text().isEmpty())
        keyAscii = event->text().front().unicode();
    if (keyAscii != 0)
        emit KeyPress(keyAscii);
    QLineEdit::keyPressEvent(event);
}

} // namespace velmora
