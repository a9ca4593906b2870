#include "metafile_player.h"

#include <windows.h>

#include <cstring>

namespace velmora {

namespace {

// The placeable header some writers put before a Windows metafile: SetWinMetaFileBits reads
// the metafile from its own header on.
constexpr DWORD kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableHeaderBytes = 22;

HENHMETAFILE enhancedOf(rtf::Picture::Kind kind, const QByteArray& bytes, QSize pixels)
{
    const auto* data = reinterpret_cast<const BYTE*>(bytes.constData());
    UINT size = static_cast<UINT>(bytes.size());
    if (kind == rtf::Picture::Kind::Emf)
        return SetEnhMetaFileBits(size, data);
    DWORD key = 0;
    if (size >= sizeof key)
        std::memcpy(&key, data, sizeof key);
    if (key == kPlaceableKey && size > kPlaceableHeaderBytes) {
        data += kPlaceableHeaderBytes;
        size -= kPlaceableHeaderBytes;
    }
    // The picture's extent in hundredths of a millimetre at the screen's 96 dots per inch, so
    // that a metafile in device units is stretched to the frame, as Word shows it.
    METAFILEPICT picture{};
    picture.mm = MM_ANISOTROPIC;
    picture.xExt = MulDiv(pixels.width(), 2540, 96);
    picture.yExt = MulDiv(pixels.height(), 2540, 96);
    return SetWinMetaFileBits(size, data, nullptr, &picture);
}

} // namespace

bool playsMetafiles()
{
    return true;
}

QImage playMetafile(rtf::Picture::Kind kind, const QByteArray& bytes, QSize pixels)
{
    if (pixels.isEmpty() || bytes.isEmpty())
        return {};
    HENHMETAFILE metafile = enhancedOf(kind, bytes, pixels);
    if (!metafile)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pixels.width();
    info.bmiHeader.biHeight = -pixels.height(); // top down, as QImage keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    QImage image;
    if (dc && bitmap && bits) {
        HGDIOBJ previous = SelectObject(dc, bitmap);
        const RECT frame{0, 0, pixels.width(), pixels.height()};
        FillRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (PlayEnhMetaFile(dc, metafile, &frame)) {
            GdiFlush();
            // GDI leaves the fourth byte of each pixel as it was: the picture is opaque.
            image = QImage(static_cast<const uchar*>(bits), pixels.width(), pixels.height(),
                           pixels.width() * 4, QImage::Format_RGB32)
                        .copy();
        }
        SelectObject(dc, previous);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    DeleteEnhMetaFile(metafile);
    return image;
}

} // namespace velmora
