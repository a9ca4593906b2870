#pragma once
// A copied selection as other programs take it from the clipboard or the primary selection.
// Nothing is converted when the selection is copied: the plain text comes from the book, and the
// rich formats from the view's document, each only when a program asks for it. Both stay right
// after the view has loaded another book: the book is shared, and a replaced document offers no
// rich format any more.

#include "book.h"

#include <QMimeData>
#include <QPointer>
#include <QTextDocument>

#include <memory>

namespace velmora {

class SelectionMimeData : public QMimeData {
    Q_OBJECT
public:
    // document is null for plain text only; it must hold the book's text at the same positions.
    SelectionMimeData(std::shared_ptr<const Book> book, int start, int count,
                      QTextDocument* document);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QByteArray richFormat(const QString& mimeType) const;

    std::shared_ptr<const Book> m_book;
    int m_start;
    int m_count;
    QPointer<QTextDocument> m_document;
};

} // namespace velmora
