#pragma once
// Reading the book file: its bytes, or why they cannot be had. The reason is a kind, with the
// system's own detail beside it; the program's shell words it for the reader.

#include <QByteArray>
#include <QString>

namespace velmora {

enum class BookFileError {
    None,
    Missing,
    DanglingLink, // a symbolic link that leads to no file
    Folder,
    NotPlainFile, // a device or a pipe: it would never end or would block
    TooLarge,
    NoPermission,
    ReadFailed,
    NoResources,
    OpenFailed,
    Empty,
    NotRtf, // read, but the reader found no RTF in it
};

struct BookFileOutcome {
    BookFileError error = BookFileError::None;
    QString systemDetail; // the system's wording, in its own language, for a log or a developer
    bool ok() const { return error == BookFileError::None; }
};

// The sample book is under 2 MB; a file a hundred times larger is no book, and its text would
// no longer fit the 32-bit character positions that every caller counts in.
inline constexpr qint64 kMaxBookFileBytes = 128 * 1024 * 1024;

// Reads the whole file at path into bytes.
BookFileOutcome readBookFile(const QString& path, QByteArray& bytes);

} // namespace velmora
