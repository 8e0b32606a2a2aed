#include "DialerIcons.h"

#include <QImageReader>
#include <QPixmap>

QIcon dialerPngIcon(const char* name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        // Read as PNG without guessing: a reader left to detect the format loads every
        // image format plugin first.
        QImageReader reader(QStringLiteral(":/dialer/%1-%2.png").arg(QLatin1String(name)).arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}
