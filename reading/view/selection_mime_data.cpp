#include "selection_mime_data.h"

#include "book_limits.h"
#include "rich_copy.h"

#include <QBuffer>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextDocumentWriter>

namespace velmora {

namespace {

const QString kPlain = QStringLiteral("text/plain");
const QString kHtml = QStringLiteral("text/html");
const QString kOdf = QStringLiteral("application/vnd.oasis.opendocument.text");

bool canWriteOdf()
{
    return QTextDocumentWriter::supportedDocumentFormats().contains("ODF");
}

// A picture is an object of this program's own, which no other program reads: the rich formats
// leave it out, as the plain text does.
constexpr QChar kObject = QChar(rtf::Model::kObject);

void removePictures(QTextDocument& document)
{
    for (QTextCursor at = document.find(QString(kObject)); !at.isNull();
         at = document.find(QString(kObject), at))
        at.removeSelectedText();
}

} // namespace

SelectionMimeData::SelectionMimeData(std::shared_ptr<const Book> book, int start, int count,
                                     QTextDocument* document)
    : m_book(std::move(book)), m_start(start), m_count(count), m_document(document)
{
    // A long selection would make other programs wait for its rich formats, and the window
    // with them: it goes as plain text only.
    if (m_count > limits::kLongestRichCopy)
        m_document = nullptr;
}

QStringList SelectionMimeData::formats() const
{
    QStringList result{kPlain};
    if (m_document) {
        result << kHtml;
        if (canWriteOdf())
            result << kOdf;
    }
    return result;
}

bool SelectionMimeData::hasFormat(const QString& mimeType) const
{
    return formats().contains(mimeType);
}

QVariant SelectionMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType == kPlain)
        return m_book->plainText(m_start, m_count);
    if (m_document && (mimeType == kHtml || mimeType == kOdf)) {
        const QByteArray rich = richFormat(mimeType);
        if (mimeType == kHtml && type.id() == QMetaType::QString)
            return QString::fromUtf8(rich);
        return rich;
    }
    return QMimeData::retrieveData(mimeType, type);
}

QByteArray SelectionMimeData::richFormat(const QString& mimeType) const
{
    const int end = std::min(m_start + m_count, m_document->characterCount() - 1);
    QTextDocument copy;
    copyRange(*m_document, m_book->formats(), std::min(m_start, end), end, copy);
    removePictures(copy);
    if (mimeType == kHtml)
        return QTextDocumentFragment(&copy).toHtml().toUtf8(); // with the fragment's marks
    QBuffer buffer;
    QTextDocumentWriter writer(&buffer, "ODF");
    writer.write(&copy);
    return buffer.data();
}

} // namespace velmora
