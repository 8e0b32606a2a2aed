#pragma once

// The version window a control offers the telephony service, what was agreed for the
// selected device, and how long the control waits for an asynchronous reply. Plain
// settings: the negotiation and the waiting live in the controls.

#include <QObject>

class TnvSharedControl;

class TnvTAPI : public QObject {
    Q_OBJECT
    Q_PROPERTY(uint ExtensionHighVersion READ ExtensionHighVersion WRITE setExtensionHighVersion)
    Q_PROPERTY(uint ExtensionLowVersion READ ExtensionLowVersion WRITE setExtensionLowVersion)
    Q_PROPERTY(uint HighVersion READ HighVersion WRITE setHighVersion)
    Q_PROPERTY(uint LowVersion READ LowVersion WRITE setLowVersion)
    Q_PROPERTY(int ReplyTimeout READ ReplyTimeout WRITE setReplyTimeout)
    Q_PROPERTY(QString TSP READ TSP STORED false)
    Q_PROPERTY(uint ExtensionVersion READ ExtensionVersion STORED false)
    Q_PROPERTY(uint Version READ Version STORED false)
    Q_PROPERTY(uint ExtensionID0 READ ExtensionID0 STORED false)
    Q_PROPERTY(uint ExtensionID1 READ ExtensionID1 STORED false)
    Q_PROPERTY(uint ExtensionID2 READ ExtensionID2 STORED false)
    Q_PROPERTY(uint ExtensionID3 READ ExtensionID3 STORED false)

public:
    static constexpr quint32 DefaultHighVersion = 0x00020002;
    static constexpr quint32 DefaultLowVersion = 0x00010003;
    static constexpr qint32 DefaultReplyTimeout = 60000;

    explicit TnvTAPI(TnvSharedControl* owner);

    quint32 ExtensionHighVersion() const { return m_extensionHighVersion; }
    quint32 ExtensionLowVersion() const { return m_extensionLowVersion; }
    quint32 HighVersion() const { return m_highVersion; }
    quint32 LowVersion() const { return m_lowVersion; }
    qint32 ReplyTimeout() const { return m_replyTimeout; }
    QString TSP() const { return m_tsp; }
    quint32 ExtensionVersion() const { return m_extensionVersion; }
    quint32 Version() const { return m_version; }
    quint32 ExtensionID0() const { return m_extensionID[0]; }
    quint32 ExtensionID1() const { return m_extensionID[1]; }
    quint32 ExtensionID2() const { return m_extensionID[2]; }
    quint32 ExtensionID3() const { return m_extensionID[3]; }

    // Published settings: stored as given; the inspector shows the change.
    void setExtensionHighVersion(quint32 value);
    void setExtensionLowVersion(quint32 value);
    void setHighVersion(quint32 value);
    void setLowVersion(quint32 value);
    void setReplyTimeout(qint32 value);

    // Results of a device read and negotiation, set by the control.
    void setTSP(const QString& value) { m_tsp = value; }
    void setExtensionVersion(quint32 value) { m_extensionVersion = value; }
    void setVersion(quint32 value) { m_version = value; }
    void setExtensionID(quint32 id0, quint32 id1, quint32 id2, quint32 id3);

    // Forgets what was negotiated after the service was shut down.
    void ResetState();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    void changed();

    TnvSharedControl* m_owner;
    QString m_tsp;
    quint32 m_extensionHighVersion = 0;
    quint32 m_extensionLowVersion = 0;
    quint32 m_highVersion = DefaultHighVersion;
    quint32 m_lowVersion = DefaultLowVersion;
    qint32 m_replyTimeout = DefaultReplyTimeout;
    quint32 m_extensionVersion = 0;
    quint32 m_version = 0;
    quint32 m_extensionID[4] = {0, 0, 0, 0};
};
