#pragma once
// Pictures' bytes for the tests, made by hand: bitmaps, Windows metafiles of given records, a
// PNG that claims a huge size, and a \\pict group around any of them.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QtEndian>

#include <initializer_list>

namespace velmora::test {

inline const QColor kRed(220, 20, 20);
inline const QColor kBlue(20, 20, 220);
inline const QColor kGreen(20, 200, 20);

inline QByteArray encoded(const QImage& image, const char* format, int quality = 95)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

inline QImage filled(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

inline void putWord(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i) & 0xFF);
}

// A bottom-up 24-bit DIB (BITMAPINFOHEADER and pixels) of one colour.
inline QByteArray dibOf(int width, int height, QColor color)
{
    QByteArray dib;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (const quint32 v : {40u, quint32(width), quint32(height)})
        putWord(dib, v, 4);
    putWord(dib, 1, 2);
    putWord(dib, 24, 2);
    for (int i = 0; i < 6; ++i)
        putWord(dib, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            dib += char(color.blue()) + QByteArray(1, char(color.green())) + char(color.red());
        dib += QByteArray(stride - width * 3, '\0');
    }
    return dib;
}

inline QByteArray record(quint32 function, const QByteArray& parameters)
{
    QByteArray out;
    putWord(out, quint32(3 + parameters.size() / 2), 4);
    putWord(out, function, 2);
    return out + parameters;
}

// A Windows metafile of the given records, with its header and end record.
inline QByteArray metafileOf(const QByteArray& records)
{
    const QByteArray body = records + record(0, {});
    QByteArray wmf;
    for (const quint32 v : {1u, 9u, 0x300u})
        putWord(wmf, v, 2);
    putWord(wmf, quint32(9 + body.size() / 2), 4);
    putWord(wmf, 0, 2);
    putWord(wmf, 0, 4);
    putWord(wmf, 0, 2);
    return wmf + body;
}

inline QByteArray words(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        putWord(out, quint32(v) & 0xFFFF, 2);
    return out;
}

// What WordPad writes for a pasted picture: the window set up, and one StretchDIBits.
inline QByteArray bitmapMetafile(int width, int height, QColor color)
{
    QByteArray stretch;
    putWord(stretch, 0x00CC0020, 4); // SRCCOPY
    stretch += words({0, height, width, 0, 0, height, width, 0, 0});
    return metafileOf(record(0x020B, words({0, 0})) + record(0x020C, words({height, width})) +
                      record(0x0F43, stretch + dibOf(width, height, color)));
}

// A metafile that draws a rectangle: no bitmap in it.
inline QByteArray drawingMetafile()
{
    return metafileOf(record(0x020C, words({100, 100})) + record(0x041B, words({90, 90, 10, 10})));
}

inline quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// A PNG that claims 30,000 by 30,000 pixels: a decoder would need 3.6 GB for it.
inline QByteArray hugePng()
{
    QByteArray header = "IHDR";
    for (const quint32 side : {30000u, 30000u}) {
        quint32 big = qToBigEndian(side);
        header.append(reinterpret_cast<const char*>(&big), 4);
    }
    header += QByteArray("\x08\x02\x00\x00\x00", 5);
    QByteArray png = "\x89PNG\r\n\x1a\n";
    png += QByteArray("\x00\x00\x00\x0d", 4) + header;
    const quint32 crc = qToBigEndian(crc32(header));
    png.append(reinterpret_cast<const char*>(&crc), 4);
    return png + encoded(filled(4, 4, Qt::white), "PNG").mid(33);
}

inline QByteArray pict(const QByteArray& words, const QByteArray& data)
{
    return "{\\pict" + words + "\n" + data.toHex() + "}";
}

} // namespace velmora::test
