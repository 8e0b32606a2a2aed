#pragma once

// The media modes of the selected device: those the line is opened for, those the device
// supports and those any application has the line open for. Plain values; the device
// reads fill them and Active takes effect at the next open.

#include <QObject>

class TnvLineContext;

class TnvMediaModes : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(uint Available READ Available WRITE setAvailable STORED false)
    Q_PROPERTY(uint Open READ Open WRITE setOpen STORED false)

public:
    TnvMediaModes(TnvLineContext* line, QObject* parent);

    quint32 Active() const { return m_active; }
    quint32 Available() const { return m_available; }
    quint32 Open() const { return m_open; }
    void setActive(quint32 value) { m_active = value; }
    void setAvailable(quint32 value) { m_available = value; }
    void setOpen(quint32 value) { m_open = value; }

    void clear();

    // Lines start with the caller's prefix ("Device") and "MediaModes.".
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    quint32 m_active = 0;
    quint32 m_available = 0;
    quint32 m_open = 0;
};
