#pragma once
// The book's pictures in the view: each U+FFFC of a picture carries a character format of
// kPictureObject, and this handler, registered on the document's layout, sizes and draws it.
// Pictures are decoded at the device's pixels when drawn, and only those drawn lately keep
// their pixels (within kDecodedPictureBytes): a book of many pictures holds their compressed
// bytes once (Book) and the pixels of about a screenful. A large picture, whose decoding would
// hold the window, is decoded on a thread of its own and drawn once it is in.

#include "book.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QTextObjectInterface>
#include <QThreadPool>

#include <cstdint>
#include <list>
#include <memory>
#include <utility>
#include <vector>

class QTextCharFormat;

namespace velmora {

class PictureObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    static constexpr int kPictureObject = QTextFormat::UserObject + 1;
    static constexpr int kPictureIndex = QTextFormat::UserProperty + 1;

    PictureObject(std::shared_ptr<const Book> book, QObject* parent);
    // Waits for a picture being decoded aside, not for those still waiting their turn.
    ~PictureObject() override;

    // The format of picture index of the book, in the run's format around it.
    static QTextCharFormat formatOf(const QTextCharFormat& run, std::size_t index);

    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;

    // The pictures in [from, to) of the document: how many, and their heights added up, for
    // the layout's estimates.
    struct Span {
        int count = 0;
        double height = 0;
    };
    Span picturesIn(int from, int to) const;

    // True while a picture is being decoded aside; the document's layout asks for a paint once
    // it is in.
    bool isDecoding() const { return !m_decoding.empty(); }

private:
    using Key = std::pair<std::size_t, QSize>; // a picture at a size in device pixels

    QSizeF sizeOf(std::size_t index) const;
    // The picture decoded at that size; nullptr while it is being decoded aside.
    const QImage* cached(std::size_t index, QSize pixels);
    void decodeAside(const Key& key);
    void keep(const Key& key, QImage image);

    struct Decoded {
        std::size_t index = 0;
        QSize pixels;
        QImage image; // null: a frame, where the picture cannot be drawn at that size
    };

    std::shared_ptr<const Book> m_book;
    std::list<Decoded> m_decoded; // the most recently drawn first
    std::size_t m_decodedBytes = 0;
    std::vector<Key> m_decoding;
    // One picture at a time: two large ones at once would double what decoding takes in memory.
    QThreadPool m_decoder;
};

} // namespace velmora
