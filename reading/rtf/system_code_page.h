#pragma once
// The system's converter for one multi-byte code page, asked one character at a time: iconv
// where the C library has it, MultiByteToWideChar on Windows. The parser asks it only to build
// its decoding tables, so its speed does not matter.

#include <cstddef>

namespace velmora::rtf {

class SystemCodePage {
public:
    // windowsPage is the page's Windows number; iconvName the name iconv knows it by.
    SystemCodePage(int windowsPage, const char* iconvName);
    ~SystemCodePage();
    SystemCodePage(const SystemCodePage&) = delete;
    SystemCodePage& operator=(const SystemCodePage&) = delete;

    // False where the system has no converter for the page.
    bool available() const;
    // The one UTF-16 unit that the count bytes stand for, or U+FFFD where they stand for none
    // or for more than one.
    char16_t convert(const char* bytes, std::size_t count);

private:
    void* m_iconv = nullptr;                // iconv only
    [[maybe_unused]] int m_windowsPage = 0; // Windows only
};

} // namespace velmora::rtf
