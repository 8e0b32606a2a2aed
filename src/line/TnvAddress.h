#pragma once

// The addresses of the selected line device: their names, the selected one with its
// capabilities and status counters, and its forwarding. Selecting an address reads its
// capabilities; the line's status reads keep the counters current.

#include "TnvAddressCaps.h"
#include "TnvAddressForward.h"

#include <TapiStructs.h>

#include <QByteArray>
#include <QObject>
#include <QStringList>

class TnvLineContext;

class TnvAddress : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name STORED false)
    Q_PROPERTY(QStringList List READ List STORED false)
    Q_PROPERTY(int Count READ Count STORED false)
    Q_PROPERTY(int ID READ ID WRITE setID STORED false)
    Q_PROPERTY(TnvAddressCaps* Capabilities READ Capabilities CONSTANT)
    Q_PROPERTY(uint NumInUse READ NumInUse STORED false)
    Q_PROPERTY(uint NumActiveCalls READ NumActiveCalls STORED false)
    Q_PROPERTY(uint NumOnHoldCalls READ NumOnHoldCalls STORED false)
    Q_PROPERTY(uint NumOnHoldPendCalls READ NumOnHoldPendCalls STORED false)
    Q_PROPERTY(uint Features READ Features STORED false)
    Q_PROPERTY(uint NumRingsNoAnswer READ NumRingsNoAnswer STORED false)
    Q_PROPERTY(TnvAddressForward* Forward READ Forward CONSTANT)

public:
    TnvAddress(TnvLineContext* line, QObject* parent);

    QString Name() const { return m_name; }
    const QStringList& List() const { return m_list; }
    qint32 Count() const { return m_count; }
    qint32 ID() const { return m_id; }
    TnvAddressCaps* Capabilities() const { return m_capabilities; }
    quint32 NumInUse() const { return m_numInUse; }
    quint32 NumActiveCalls() const { return m_numActiveCalls; }
    quint32 NumOnHoldCalls() const { return m_numOnHoldCalls; }
    quint32 NumOnHoldPendCalls() const { return m_numOnHoldPendCalls; }
    quint32 Features() const { return m_features; }
    quint32 NumRingsNoAnswer() const { return m_numRingsNoAnswer; }
    TnvAddressForward* Forward() const { return m_forward; }

    // Selects address n and reads its capabilities.
    void setID(int n);

    // What the device read fills in, without trace or checks.
    void storeName(const QString& value) { m_name = value; }
    QStringList& list() { return m_list; }
    void storeCount(qint32 value) { m_count = value; }

    // Takes the status and the forwarding of a LINEADDRESSSTATUS block; a block shorter
    // than the fixed part changes nothing.
    void storeStatus(const QByteArray& addressStatusBlock);
    // Forgets the device's addresses: names, count, capabilities, counters and the
    // forwarding status. The ID goes to 0, the address every device read starts with;
    // the forwarding settings and parameters stay.
    void clear();

    // Lines start with the caller's prefix and "Address.".
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    QString m_name;
    QStringList m_list;
    qint32 m_count = 0;
    qint32 m_id = -1; // no device read yet
    TnvAddressCaps* m_capabilities;
    quint32 m_numInUse = 0;
    quint32 m_numActiveCalls = 0;
    quint32 m_numOnHoldCalls = 0;
    quint32 m_numOnHoldPendCalls = 0;
    quint32 m_features = 0;
    quint32 m_numRingsNoAnswer = 0;
    TnvAddressForward* m_forward;
};
