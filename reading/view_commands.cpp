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
    // The view ends paragraphs with '\r'; other programs on this desktop expect line feeds.
    QString text = view.SelText();
    text.replace(QChar(u'\r'), QChar(u'\n'));
    text.replace(QChar(u'\u2028'), QChar(u'\n'));
    clipboard->clear();
    clipboard->setText(text);
    return true;
}

} // namespace velmora
