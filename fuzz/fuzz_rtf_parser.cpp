// libFuzzer harness for the RTF parser: any bytes must be read without a crash, a hang or a
// memory blow-up, and the model must hold together (runs and paragraphs cover the text, every
// index points into its table), since the book and the view trust it without checking. The same
// holds after the line breaks the book puts into endless words, and the text printed as UTF-8
// reads back as the same text.
//   cmake --preset fuzz && cmake --build --preset fuzz
//   build-fuzz/bin/fuzz_rtf_parser -dict=fuzz/rtf.dict -max_len=65536 NEW_DIR fuzz/corpus

#include "rtf/code_pages.h"
#include "rtf/model_edit.h"
#include "rtf/parse_rtf.h"
#include "rtf/pictures.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkRuns(const velmora::rtf::Model& model)
{
    int64_t covered = 0;
    for (const auto& run : model.runs) {
        check(run.start == covered && run.length > 0);
        check(run.format < model.charFormats.size());
        check(model.charFormats[run.format].font < model.fontNames.size());
        covered += run.length;
    }
    check(covered == static_cast<int64_t>(model.text.size()));
}

// Each picture stands at its U+FFFC, in order, within the limits; all of them hold no more bytes
// than the file.
void checkPictures(const velmora::rtf::Model& model, std::size_t inputSize)
{
    using namespace velmora::rtf;
    int64_t after = -1;
    std::size_t bytes = 0;
    for (const Picture& picture : model.pictures) {
        check(picture.position > after && std::size_t(picture.position) < model.text.size());
        check(model.text[std::size_t(picture.position)] == Model::kObject);
        check(picture.width >= 0 && picture.width <= kMaxPictureTwips);
        check(picture.height >= 0 && picture.height <= kMaxPictureTwips);
        check(picture.data.size() <= kMaxPictureBytes);
        bytes += picture.data.size();
        after = picture.position;
    }
    check(bytes <= inputSize && model.pictures.size() <= kMaxPictures);
}

void checkModel(const velmora::rtf::Model& model, std::size_t inputSize)
{
    checkPictures(model, inputSize);
    const auto textSize = static_cast<int64_t>(model.text.size());
    // One unit per input byte, except note marks, which may be a few characters long.
    check(model.text.size() <= 3 * inputSize + 16);
    checkRuns(model);
    int64_t next = 0;
    for (std::size_t i = 0; i < model.paragraphs.size(); ++i) {
        const auto& p = model.paragraphs[i];
        check(p.start == next && p.length >= 0 && p.format < model.paragraphFormats.size());
        next = int64_t(p.start) + p.length;
        if (i + 1 < model.paragraphs.size()) {
            check(next < textSize && model.text[static_cast<std::size_t>(next)] == u'\r');
            ++next;
        }
    }
    check(model.paragraphs.empty() || next == textSize);
}

// The view breaks endless words before showing a book; the model must hold together after it.
void checkEndlessWords(velmora::rtf::Model model, const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return;
    const std::size_t before = model.text.size();
    const std::size_t breaks = velmora::rtf::breakEndlessWords(model, 1 + data[0] % 16);
    check(model.text.size() == before + breaks);
    checkModel(model, size + breaks);
}

// The parser leaves no lone surrogate, so the round trip is exact.
void checkUtf8(const velmora::rtf::Model& model)
{
    std::string utf8;
    velmora::rtf::appendUtf8(utf8, model.text);
    std::u16string back;
    velmora::rtf::ByteDecoder().decode(velmora::rtf::kUtf8CodePage, utf8, back);
    check(back == model.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const auto result = velmora::rtf::parseRtf({reinterpret_cast<const char*>(data), size});
    check(result.byteOffset <= size);
    if (result.ok()) {
        checkModel(result.model, size);
        checkEndlessWords(result.model, data, size);
        checkUtf8(result.model);
    } else {
        check(result.model.text.empty() && !result.message.empty());
    }
    return 0;
}
