#pragma once

// What the selected line device can do, copied from its LINEDEVCAPS: the values the
// trace and the inspector show, the line-state mask asked for when the line opens, and
// an owned copy of the device-specific block.

#include <TapiStructs.h>

#include <QByteArray>
#include <QObject>

class TnvLineContext;

class TnvLineDeviceCaps : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint Flags READ Flags STORED false)
    Q_PROPERTY(uint MaxNumActiveCalls READ MaxNumActiveCalls STORED false)
    Q_PROPERTY(uint AnswerMode READ AnswerMode STORED false)
    Q_PROPERTY(uint States READ States STORED false)
    Q_PROPERTY(uint LineFeatures READ LineFeatures STORED false)
    Q_PROPERTY(uint BearerModes READ BearerModes STORED false)
    Q_PROPERTY(uint RingModes READ RingModes STORED false)
    Q_PROPERTY(uint Tones READ Tones STORED false)
    Q_PROPERTY(int DevSpecificSize READ DevSpecificSize STORED false)
    Q_PROPERTY(QByteArray DevSpecific READ DevSpecific STORED false)

public:
    TnvLineDeviceCaps(TnvLineContext* line, QObject* parent);

    quint32 Flags() const { return m_flags; }
    quint32 MaxNumActiveCalls() const { return m_maxNumActiveCalls; }
    quint32 AnswerMode() const { return m_answerMode; }
    quint32 States() const { return m_states; }
    quint32 LineFeatures() const { return m_lineFeatures; }
    quint32 BearerModes() const { return m_bearerModes; }
    quint32 RingModes() const { return m_ringModes; }
    quint32 Tones() const { return m_tones; }
    qint32 DevSpecificSize() const { return qint32(m_devSpecific.size()); }
    const QByteArray& DevSpecific() const { return m_devSpecific; }
    // Names the stored device-specific copy in the trace: a new number for every new
    // copy, 0 while there is none.
    quint32 devSpecificTag() const { return m_devSpecific.isEmpty() ? 0 : m_devSpecificTag; }

    // Takes the values from a LINEDEVCAPS block as the service returned it; a block
    // shorter than the fixed part changes nothing and gives false.
    bool store(const QByteArray& devCapsBlock);
    // Back to construction: all values 0, no device-specific copy.
    void clear();

    // Lines start with the caller's prefix ("Device") and "Capabilities.".
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvLineContext* m_line;
    quint32 m_flags = 0;
    quint32 m_maxNumActiveCalls = 0;
    quint32 m_answerMode = 0;
    quint32 m_states = 0;
    quint32 m_lineFeatures = 0;
    quint32 m_bearerModes = 0;
    quint32 m_ringModes = 0;
    quint32 m_tones = 0;
    QByteArray m_devSpecific;
    quint32 m_devSpecificTag = 0;
};
