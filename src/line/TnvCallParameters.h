#pragma once

// The call parameters of a call, transfer, conference or forward: either the service's
// defaults, or a LINECALLPARAMS block carrying exactly these five values.

#include <TapiStructs.h>

#include <QObject>

class TnvLineContext;

class TnvCallParameters : public QObject {
    Q_OBJECT
    Q_PROPERTY(int AddressID READ AddressID WRITE setAddressID)
    Q_PROPERTY(uint BearerMode READ BearerMode WRITE setBearerMode)
    Q_PROPERTY(bool Defaults READ Defaults WRITE setDefaults)
    Q_PROPERTY(uint Flags READ Flags WRITE setFlags)
    Q_PROPERTY(uint MediaMode READ MediaMode WRITE setMediaMode)
    Q_PROPERTY(int NoAnswerTimeout READ NoAnswerTimeout WRITE setNoAnswerTimeout)

public:
    TnvCallParameters(TnvLineContext* line, QObject* parent);

    qint32 AddressID() const { return m_addressID; }
    quint32 BearerMode() const { return m_bearerMode; }
    bool Defaults() const { return m_defaults; }
    quint32 Flags() const { return m_flags; }
    quint32 MediaMode() const { return m_mediaMode; }
    qint32 NoAnswerTimeout() const { return m_noAnswerTimeout; }
    void setAddressID(qint32 value);
    void setBearerMode(quint32 value);
    void setDefaults(bool value);
    void setFlags(quint32 value);
    void setMediaMode(quint32 value);
    void setNoAnswerTimeout(qint32 value);

    // Copies the five values (and Defaults) without refreshing anything.
    void assign(const TnvCallParameters& other);

    // The block to hand to the service: null with Defaults, else a 180-byte block.
    const LINECALLPARAMS* block();

    // Writes "<prefix>.Paramaters." lines (the label is the trace's own spelling).
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    void changed();

    TnvLineContext* m_line;
    LINECALLPARAMS m_block{};
    qint32 m_addressID = 0;
    quint32 m_bearerMode = 0;
    bool m_defaults = true;
    quint32 m_flags = 0;
    quint32 m_mediaMode = 0;
    qint32 m_noAnswerTimeout = 0;
};
