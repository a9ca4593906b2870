#pragma once
// Reads the bytes of an RTF file into a Document. Never throws; never recurses on nesting.

#include "document.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::rtf {

enum class ReadStatus {
    Ok,        // read to the end
    Truncated, // the file ended inside an open group: everything read so far is kept
    NotRtf,    // the bytes do not start with "{\rtf"; the document is empty
};

struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    std::size_t byteOffset = 0; // where reading stopped or the fault was found
    std::string message;        // short English description for tools and logs; "" when Ok
    Document document;

    bool ok() const { return status != ReadStatus::NotRtf; }
};

ReadResult readRtf(std::string_view bytes);

} // namespace velmora::rtf
