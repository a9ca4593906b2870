#include "file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// Another program may shorten the file while it is being read: the mapped pages past the new end
// then raise SIGBUS, as does a page the disk cannot give back. The text read so far is not the
// file's, so rather than dying of the signal rtfdump says what happened and fails.
char g_unreadableMessage[1024];
std::size_t g_unreadableMessageLength = 0;

extern "C" void stopOnUnreadablePage(int)
{
    // Only async-signal-safe calls here: the message was formatted before the signal came.
    [[maybe_unused]] const auto written =
        write(STDERR_FILENO, g_unreadableMessage, g_unreadableMessageLength);
    _exit(1);
}

void failCleanlyIfMappingBreaks(const char* path)
{
    const int length =
        std::snprintf(g_unreadableMessage, sizeof g_unreadableMessage,
                      "rtfdump: %s: the file changed or failed while being read\n", path);
    if (length < 0)
        return;
    g_unreadableMessageLength =
        std::min(static_cast<std::size_t>(length), sizeof g_unreadableMessage - 1);
    g_unreadableMessage[g_unreadableMessageLength - 1] = '\n'; // when a long path was cut short
    struct sigaction action {};
    action.sa_handler = stopOnUnreadablePage;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

} // namespace

bool FileBytes::open(const char* path, std::string& reason)
{
    struct stat info {};
    if (stat(path, &info) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = "is a directory";
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_size == 0)
        return readAll(path, reason);
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
    std::fclose(file);
    if (map == MAP_FAILED)
        return readAll(path, reason);
    failCleanlyIfMappingBreaks(path);
    m_map = map;
    m_size = size;
    return true;
}

void FileBytes::releaseBefore(std::size_t offset)
{
    static const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = std::min(offset, m_size) / pageSize * pageSize;
    if (!m_map || end <= m_released)
        return;
    madvise(static_cast<char*>(m_map) + m_released, end - m_released, MADV_DONTNEED);
    m_released = end;
}

void FileBytes::release()
{
    if (m_map)
        munmap(m_map, m_size);
    m_map = nullptr;
    m_size = 0;
    m_released = 0;
    std::string().swap(m_copy);
}

} // namespace velmora
