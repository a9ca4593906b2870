#include "view_commands.h"

#include "rich_text_view.h"

#include <QClipboard>
#include <QGuiApplication>

namespace velmora {

void applyTextSize(RichTextView& view, const QString& size)
{
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    view.setSelFontSize(size);
    view.setSelStart(0);
}

void caretToStart(RichTextView& view)
{
    view.setSelStart(0);
    view.SetFocus();
}

void caretToEnd(RichTextView& view)
{
    view.setSelStart(view.TextLength());
    view.SetFocus();
}

void selectAll(RichTextView& view)
{
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
}

bool copySelection(const RichTextView& view)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    // Emptying the clipboard for an empty selection would throw away what the reader copied
    // elsewhere: with nothing selected it stays as it was, as with Ctrl+C.
    if (view.SelLength() == 0)
        return true;
    // Plain text only, the same characters that Ctrl+C gives as plain text.
    clipboard->clear();
    clipboard->setText(view.selectedPlainText());
    return true;
}

} // namespace velmora
