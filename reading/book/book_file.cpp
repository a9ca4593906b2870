#include "book_file.h"

#include "book_limits.h"
#include "rtf/parse_rtf.h"

#include <QFile>
#include <QFileInfo>

#include <new>

namespace velmora {

namespace {

BookFileError errorOf(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::PermissionsError: return BookFileError::NoPermission;
    case QFileDevice::ReadError: return BookFileError::ReadFailed;
    case QFileDevice::ResourceError: return BookFileError::NoResources;
    default: return BookFileError::OpenFailed;
    }
}

} // namespace

BookFileOutcome readBookFile(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isSymLink() && !info.exists())
        return {BookFileError::DanglingLink, {}};
    if (path.isEmpty() || !info.exists())
        return {BookFileError::Missing, {}};
    if (info.isDir())
        return {BookFileError::Folder, {}};
    if (!info.isFile())
        return {BookFileError::NotPlainFile, {}};
    if (info.size() > limits::kMaxBookFileBytes)
        return {BookFileError::TooLarge, {}};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const BookFileError error =
            info.isReadable() ? errorOf(file.error()) : BookFileError::NoPermission;
        return {error, file.errorString()};
    }
    try {
        bytes = file.readAll();
    } catch (const std::bad_alloc&) { // memory gone: no book, and no end of the program
        return {BookFileError::NoResources, {}};
    }
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return {errorOf(file.error()), file.errorString()};
    }
    if (bytes.isEmpty())
        return {BookFileError::Empty, {}};
    if (!rtf::rtfStart(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        bytes.clear();
        return {BookFileError::NotRtf, {}};
    }
    return {};
}

} // namespace velmora
