#pragma once
// txtKerkim: the one-line search box. It raises GotFocus and KeyPress, the events the main
// window's handlers txtKerkim_GotFocus and txtKerkim_KeyPress take.

#include <QLineEdit>

namespace velmora {

class SearchBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    // After the focus change has been handled: a mouse press that brought the focus places the
    // cursor, which would undo a selection made at once.
    void GotFocus();
    // Every key that types a character, Enter as 13; the key goes on to the box unchanged.
    void KeyPress(int& keyAscii);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace velmora
