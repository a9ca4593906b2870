#include "system_code_page.h"

#include "code_pages.h"

#include <cstdint>

#include <iconv.h>

namespace velmora::rtf {

namespace {

iconv_t handleOf(void* stored)
{
    return static_cast<iconv_t>(stored);
}

} // namespace

SystemCodePage::SystemCodePage(int windowsPage, const char* iconvName) : m_windowsPage(windowsPage)
{
    iconv_t cd = iconv_open("UTF-16LE", iconvName);
    m_iconv = cd == iconv_t(-1) ? nullptr : static_cast<void*>(cd);
}

SystemCodePage::~SystemCodePage()
{
    if (m_iconv)
        iconv_close(handleOf(m_iconv));
}

bool SystemCodePage::available() const
{
    return m_iconv != nullptr;
}

char16_t SystemCodePage::convert(const char* bytes, std::size_t count)
{
    char in[2] = {bytes[0], count > 1 ? bytes[1] : '\0'};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = count, outLeft = sizeof out;
    iconv(handleOf(m_iconv), nullptr, nullptr, nullptr, nullptr);
    if (iconv(handleOf(m_iconv), &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1) ||
        inLeft != 0 || outLeft != sizeof out - 2)
        return kReplacement;
    return static_cast<char16_t>(static_cast<uint8_t>(out[0]) |
                                 (static_cast<uint8_t>(out[1]) << 8));
}

} // namespace velmora::rtf
