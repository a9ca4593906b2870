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
    NotRtf,  // read, but it does not start as an RTF file does
    Damaged, // read as RTF, but what it holds could not be made a book
};

struct BookFileOutcome {
    BookFileError error = BookFileError::None;
    QString systemDetail; // the system's wording, in its own language, for a log or a developer
    bool ok() const { return error == BookFileError::None; }
};

// Reads the whole file at path into bytes, and checks that they start as an RTF file does (past
// a byte-order mark and white space, "{\rtf"), so that a file that is no book fails here and
// not after it has been parsed.
BookFileOutcome readBookFile(const QString& path, QByteArray& bytes);

} // namespace velmora
