#include "system_code_page.h"

#include "code_pages.h"

#include <windows.h>

namespace velmora::rtf {

SystemCodePage::SystemCodePage(int windowsPage, const char*) : m_windowsPage(windowsPage) {}

SystemCodePage::~SystemCodePage() = default;

bool SystemCodePage::available() const
{
    return IsValidCodePage(static_cast<UINT>(m_windowsPage)) != 0;
}

char16_t SystemCodePage::convert(const char* bytes, std::size_t count)
{
    wchar_t out[4] = {};
    // MB_ERR_INVALID_CHARS: an unassigned sequence fails rather than becoming a best guess, as
    // iconv's does.
    const int units = MultiByteToWideChar(static_cast<UINT>(m_windowsPage), MB_ERR_INVALID_CHARS,
                                          bytes, static_cast<int>(count), out, 4);
    return units == 1 ? static_cast<char16_t>(out[0]) : kReplacement;
}

} // namespace velmora::rtf
