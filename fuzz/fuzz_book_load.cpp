// libFuzzer harness for the whole load path on small books: the parser, the book with its
// pictures, the converter into the view's document, its layout and a paint of its first screen
// at 150 %, offscreen. Whatever a file holds, none of it may crash, hang, throw or blow up.
//   build-fuzz/bin/fuzz_book_load -dict=fuzz/rtf.dict -max_len=16384 NEW_DIR fuzz/corpus

#include "book.h"
#include "book_limits.h"
#include "document_converter.h"
#include "picture_object.h"
#include "view_layout.h"

#include "rtf/parse_rtf.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr QSize kScreen(320, 240);

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace velmora;
    rtf::ParseResult parsed = rtf::parseRtf({reinterpret_cast<const char*>(data), size});
    if (!parsed.ok())
        return 0;
    const auto book = std::make_shared<const Book>(std::move(parsed.model));
    QObject owner;
    DocumentConverter converter(*book, &owner);
    QTextDocument* document = converter.document();
    auto* layout = new ViewLayout(document);
    auto* pictures = new PictureObject(book, layout);
    layout->registerHandler(PictureObject::kPictureObject, pictures);
    layout->setPictures(pictures);
    document->setDocumentLayout(layout);
    while (!converter.buildSome(limits::kBuildStep)) {
    }
    document->setTextWidth(kScreen.width());
    layout->layOutBetween(0, kScreen.height());

    QImage screen(kScreen * 3 / 2, QImage::Format_ARGB32_Premultiplied);
    screen.setDevicePixelRatio(1.5);
    QPainter painter(&screen);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(QPointF(0, 0), QSizeF(kScreen));
    layout->draw(&painter, context);
    return 0;
}
