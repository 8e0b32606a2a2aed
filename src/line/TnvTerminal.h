#pragma once

// The terminals of the selected line device (phone, headset, speaker and the like):
// their names, the selected one with its capabilities, and which of its modes are
// routed to the line. Switching modes is an asynchronous request with its own slot.

#include <TapiStructs.h>

#include <QByteArray>
#include <QObject>
#include <QStringList>

class TnvLineContext;

class TnvTerminal : public QObject {
    Q_OBJECT
    Q_PROPERTY(int RequestSlot READ RequestSlot STORED false)
    Q_PROPERTY(int ID READ ID WRITE setID STORED false)
    Q_PROPERTY(QString Name READ Name STORED false)
    Q_PROPERTY(QStringList List READ List STORED false)
    Q_PROPERTY(int Count READ Count STORED false)
    Q_PROPERTY(uint Device READ Device STORED false)
    Q_PROPERTY(uint AvailableModes READ AvailableModes STORED false)
    Q_PROPERTY(uint ActiveModes READ ActiveModes WRITE setActiveModes STORED false)
    Q_PROPERTY(uint Sharing READ Sharing STORED false)
    Q_PROPERTY(bool Available READ Available STORED false)

public:
    // More terminals than this in one device's capabilities are not believed.
    static constexpr quint32 MaxTerminals = 256;

    TnvTerminal(TnvLineContext* line, QObject* parent);

    qint32 RequestSlot() const { return m_requestSlot; }
    // The reply handler marks the slot replied (-1) when its request ID comes back.
    qint32& requestSlot() { return m_requestSlot; }
    qint32 ID() const { return m_id; }
    QString Name() const { return m_name; }
    const QStringList& List() const { return m_list; }
    qint32 Count() const { return m_count; }
    quint32 Device() const { return m_device; }
    quint32 AvailableModes() const { return m_availableModes; }
    quint32 ActiveModes() const { return m_activeModes; }
    quint32 Sharing() const { return m_sharing; }
    bool Available() const { return m_available; }

    // Selects terminal n and reads its capabilities again.
    void setID(int n);
    // Routes the given modes of the selected terminal to the line and the others away.
    void setActiveModes(quint32 modes);

    // Takes count, names and the first terminal's capabilities from a LINEDEVCAPS block;
    // the selection goes back to terminal 0. A short block changes nothing.
    void storeFromDevCaps(const QByteArray& devCapsBlock);
    // Takes the selected terminal's active modes from a LINEDEVSTATUS block.
    void storeActiveModes(const QByteArray& lineDevStatusBlock);
    // Back to construction: no terminals, nothing pending.
    void clear();

    // Lines start with the caller's prefix and "Terminal.".
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    // Reads entry n of the terminal capabilities; false when it lies outside the block.
    bool storeTermCaps(const QByteArray& block, quint32 n);
    // Sends one lineSetTerminal and waits for its reply: the request's result, -3 on timeout.
    LONG setTerminal(quint32 modes, bool enable);

    TnvLineContext* m_line;
    qint32 m_requestSlot = 0;
    qint32 m_id = 0;
    QString m_name;
    QStringList m_list;
    qint32 m_count = 0;
    quint32 m_device = 0;
    quint32 m_availableModes = 0;
    quint32 m_activeModes = 0;
    quint32 m_sharing = 0;
    bool m_available = false;
};
