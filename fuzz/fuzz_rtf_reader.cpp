// libFuzzer harness for the RTF reader: any bytes must be read without a crash, a hang or a
// memory blow-up, and the model must hold together (runs and paragraphs cover the text, every
// index points into its table), since the view trusts it without checking.
//   cmake --preset fuzz && cmake --build --preset fuzz
//   build-fuzz/bin/fuzz_rtf_reader -dict=fuzz/rtf.dict -max_len=65536 NEW_DIR fuzz/corpus

#include "rtf/reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkModel(const velmora::rtf::Document& doc, std::size_t inputSize) {
    const auto textSize = static_cast<int64_t>(doc.text.size());
    // One unit per input byte, except note marks, which may be a few characters long.
    check(doc.text.size() <= 3 * inputSize + 16);
    int64_t covered = 0;
    for (const auto& run : doc.runs) {
        check(run.start == covered && run.length > 0);
        check(run.format < doc.charFormats.size());
        check(doc.charFormats[run.format].font < doc.fontNames.size());
        covered += run.length;
    }
    check(covered == textSize);
    int64_t next = 0;
    for (std::size_t i = 0; i < doc.paragraphs.size(); ++i) {
        const auto& p = doc.paragraphs[i];
        check(p.start == next && p.length >= 0 && p.format < doc.paragraphFormats.size());
        next = int64_t(p.start) + p.length;
        if (i + 1 < doc.paragraphs.size()) {
            check(next < textSize && doc.text[static_cast<std::size_t>(next)] == u'\r');
            ++next;
        }
    }
    check(doc.paragraphs.empty() || next == textSize);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto result = velmora::rtf::readRtf({reinterpret_cast<const char*>(data), size});
    check(result.byteOffset <= size);
    if (result.ok())
        checkModel(result.document, size);
    else
        check(result.document.text.empty() && !result.message.empty());
    return 0;
}
