#pragma once
// The bytes of a file for rtfdump to read. Where the system allows, the file is mapped: a
// mapping needs no copy, and the pages behind the parser can go back to the system while the
// document grows. Elsewhere (pipes, other systems) the file is read into memory.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

class FileBytes {
public:
    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes() { release(); }

    // False, with the reason, when the file cannot be read.
    bool open(const char* path, std::string& reason);
    std::string_view view() const
    {
        return m_map ? std::string_view(static_cast<const char*>(m_map), m_size) : m_copy;
    }
    // The bytes before offset will not be looked at again.
    void releaseBefore(std::size_t offset);
    void release();

private:
    bool readAll(const char* path, std::string& reason);

    void* m_map = nullptr;
    std::size_t m_size = 0;
    std::size_t m_released = 0; // bytes from the start whose pages were given back
    std::string m_copy;
};

} // namespace velmora
