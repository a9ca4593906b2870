#include "file_bytes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace velmora {

bool FileBytes::readAll(const char* path, std::string& reason)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        reason = "read error";
        return false;
    }
    m_copy = std::move(content).str();
    return true;
}

} // namespace velmora
