#include "file_bytes.h"

#include <filesystem>
#include <system_error>

// Where files are not mapped (Windows), the file is read whole; a book is a few megabytes.

namespace velmora {

bool FileBytes::open(const char* path, std::string& reason)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        reason = "is a directory";
        return false;
    }
    return readAll(path, reason);
}

void FileBytes::releaseBefore(std::size_t) {}

void FileBytes::release()
{
    std::string().swap(m_copy);
}

} // namespace velmora
