#pragma once

// An icon whose renderings are read the first time anything asks for pixels. The windows
// are given their icons while they are built; where nothing ever draws the window icon
// (the offscreen platform, a desktop without window icons) its images are then never
// read, and the memory for them never taken.

#include <QIcon>
#include <QIconEngine>
#include <QList>

class DialerIconEngine : public QIconEngine {
public:
    // The renderings ":/dialer/NAME-SIZE.bmp", one per size.
    DialerIconEngine(const char* name, QList<int> sizes);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    void addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state) override;
    void addFile(const QString& fileName, const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QString key() const override;
    QIconEngine* clone() const override;

private:
    // The icon with every rendering read, made on the first call that needs pixels.
    QIcon& loaded();

    QString m_name;
    QList<int> m_sizes;
    QIcon m_icon;
    bool m_loaded = false;
};
