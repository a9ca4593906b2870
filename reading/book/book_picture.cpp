#include "book_picture.h"

#include "rtf/pictures.h"

#include <string>
#include <utility>

namespace velmora {

namespace {

QByteArray bytesOf(const std::string& data)
{
    return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
}

QByteArray compressed(const std::string& data)
{
    return qCompress(reinterpret_cast<const uchar*>(data.data()),
                     static_cast<qsizetype>(data.size()));
}

} // namespace

std::vector<BookPicture> keepPictures(std::vector<rtf::Picture>& pictures)
{
    using Kind = rtf::Picture::Kind;
    std::vector<BookPicture> kept;
    kept.reserve(pictures.size());
    for (rtf::Picture& picture : pictures) {
        BookPicture book;
        book.kind = picture.kind;
        book.position = picture.position;
        book.widthTwips = picture.width;
        book.heightTwips = picture.height;
        if (picture.data.empty()) {
            book.form = BookPicture::Form::Frame;
        } else if (picture.kind == Kind::Png || picture.kind == Kind::Jpeg) {
            book.form = BookPicture::Form::Image;
            book.bytes = bytesOf(picture.data);
        } else if (const std::string bitmap = rtf::bitmapFileOf(picture); !bitmap.empty()) {
            // Uncompressed bitmaps are the largest pictures a file holds, for the fewest pixels.
            book.form = BookPicture::Form::Bitmap;
            book.bytes = compressed(bitmap);
        } else if (picture.kind == Kind::Wmf || picture.kind == Kind::Emf) {
            book.form = BookPicture::Form::Metafile;
            book.bytes = compressed(picture.data);
        }
        std::string().swap(picture.data);
        kept.push_back(std::move(book));
    }
    pictures.clear();
    pictures.shrink_to_fit();
    return kept;
}

} // namespace velmora
