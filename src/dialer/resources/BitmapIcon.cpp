// Build tool: writes a PNG icon as an uncompressed 32-bit bitmap with its alpha channel
// (a version 4 header), so the dialer shows its icons without the PNG decoder and zlib
// running at every start.
//
// Usage: linkora_bitmap_icon INPUT.png OUTPUT.bmp

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cstdio>

namespace {

constexpr quint32 kFileHeaderSize = 14;
constexpr quint32 kInfoHeaderSize = 108; // BITMAPV4HEADER
constexpr quint32 kBitFields = 3;

QByteArray bitmap(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const quint32 width = quint32(image.width());
    const quint32 height = quint32(image.height());
    const quint32 pixelBytes = width * height * 4;
    const quint32 offset = kFileHeaderSize + kInfoHeaderSize;

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(offset + pixelBytes) << quint16(0) << quint16(0) << offset;
    out << kInfoHeaderSize << qint32(width) << qint32(height) << quint16(1) << quint16(32) << kBitFields
        << pixelBytes << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    // Channel masks (red, green, blue, alpha), then the sRGB colour space tag; the
    // end points and gamma that follow are unused with it.
    out << quint32(0x00ff0000) << quint32(0x0000ff00) << quint32(0x000000ff) << quint32(0xff000000)
        << quint32(0x73524742);
    for (int i = 0; i < 12; ++i)
        out << quint32(0);
    // Bottom row first.
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (quint32 x = 0; x < width; ++x)
            out << row[x];
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.png OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]), "png");
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(bitmap(image)) < 0 || !file.flush()) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
