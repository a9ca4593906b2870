#include "large_pages.h"

#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velmora::rtf {

namespace {

constexpr std::size_t kLargePage = std::size_t(2) << 20;
constexpr std::size_t kSmallPage = 4096;

#if defined(__linux__)
// Linux 6.1's number; the C library's headers here do not name it yet. An older system answers
// that it does not know it, and the block stays as it is.
constexpr int kCollapseNow = 25; // MADV_COLLAPSE
#endif

} // namespace

std::size_t largePageBlockSize(std::size_t bytes)
{
    if (bytes < kLargePage)
        return bytes;
    // One small page is more than malloc keeps; what is left of it is never touched.
    return (bytes + kSmallPage + kLargePage - 1) / kLargePage * kLargePage - kSmallPage;
}

void adviseLargePages([[maybe_unused]] void* start, [[maybe_unused]] std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes < kLargePage)
        return;
    const auto first = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t begin = first / kSmallPage * kSmallPage;
    const std::uintptr_t end = (first + bytes + kSmallPage - 1) / kSmallPage * kSmallPage;
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // malloc has written its own few bytes in front of the block, so the first 2 MB already hold
    // a small page and would go on in small pages: they are made one large page now.
    const std::uintptr_t firstLarge = first / kLargePage * kLargePage;
    if (firstLarge >= begin && firstLarge + kLargePage <= end)
        madvise(reinterpret_cast<void*>(firstLarge), kLargePage, kCollapseNow);
#endif
}

} // namespace velmora::rtf
