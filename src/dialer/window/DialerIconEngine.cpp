#include "DialerIconEngine.h"

#include <QImageReader>
#include <QPixmap>

DialerIconEngine::DialerIconEngine(const char* name, QList<int> sizes)
    : m_name(QLatin1String(name))
    , m_sizes(std::move(sizes))
{
}

QIcon& DialerIconEngine::loaded()
{
    if (!m_loaded) {
        m_loaded = true;
        for (const int size : std::as_const(m_sizes)) {
            // Named as what it is: a reader left to detect the format loads every image
            // format plugin first.
            QImageReader reader(QStringLiteral(":/dialer/%1-%2.bmp").arg(m_name).arg(size), "bmp");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull())
                m_icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return m_icon;
}

void DialerIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize DialerIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return loaded().actualSize(size, mode, state);
}

QPixmap DialerIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return loaded().pixmap(size, mode, state);
}

QPixmap DialerIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    return loaded().pixmap(size, scale, mode, state);
}

void DialerIconEngine::addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state)
{
    loaded().addPixmap(pixmap, mode, state);
}

void DialerIconEngine::addFile(const QString& fileName, const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    loaded().addFile(fileName, size, mode, state);
}

QList<QSize> DialerIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    if (m_loaded)
        return m_icon.availableSizes(mode, state);
    // Only normal renderings exist until someone adds others.
    QList<QSize> sizes;
    if (mode == QIcon::Normal && state == QIcon::Off) {
        for (const int size : std::as_const(m_sizes))
            sizes.append(QSize(size, size));
    }
    return sizes;
}

bool DialerIconEngine::isNull()
{
    return m_loaded ? m_icon.isNull() : m_sizes.isEmpty();
}

QString DialerIconEngine::key() const
{
    return QStringLiteral("DialerIconEngine");
}

QIconEngine* DialerIconEngine::clone() const
{
    return new DialerIconEngine(*this);
}
