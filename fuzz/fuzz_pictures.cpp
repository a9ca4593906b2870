// libFuzzer harness for the book's pictures alone: any bytes of any kind, with any sizes the file
// may claim, are kept and decoded without a crash, a hang or a blow-up, and what comes out holds
// together (a frame keeps no bytes, a decoded picture has the size asked for).
// Its input: a kind, the picture's \picw, \pich, \picwbpl and bits per pixel, the size to draw it
// at, then its bytes (fuzz/picture_seeds.py makes such inputs of the pictures in RTF files).
//   build-fuzz/bin/fuzz_pictures -dict=fuzz/pictures.dict NEW_DIR fuzz/corpus-pictures

#include "metafile_player.h"
#include "picture_formats.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kHeaderBytes = 10;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

int16_t readI16(const uint8_t* at)
{
    return static_cast<int16_t>(at[0] | at[1] << 8);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace velmora;
    if (size < kHeaderBytes)
        return 0;
    rtf::Picture picture;
    picture.kind = static_cast<rtf::Picture::Kind>(data[0] % 9);
    picture.sourceWidth = readI16(data + 1);
    picture.sourceHeight = readI16(data + 3);
    picture.bytesPerLine = readI16(data + 5);
    picture.bitsPerPixel = data[7];
    const QSize pixels(1 + data[8] % 64, 1 + data[9] % 64);
    picture.data.assign(reinterpret_cast<const char*>(data) + kHeaderBytes, size - kHeaderBytes);
    std::vector<rtf::Picture> pictures{std::move(picture)};
    const BookPicture kept = keepPictures(pictures).front();

    using Form = BookPicture::Form;
    check(kept.form != Form::Frame || kept.bytes.isEmpty());
    check(kept.form != Form::Metafile || playsMetafiles());
    check(kept.pixels.isEmpty() || (kept.pixels.width() > 0 && kept.pixels.height() > 0));
    isQuickToDecode(kept);
    const QImage image = decodePicture(kept, pixels);
    check(image.isNull() || image.size() == pixels);
    return 0;
}
