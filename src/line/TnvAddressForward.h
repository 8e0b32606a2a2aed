#pragma once

// Forwarding of the selected address: the forward condition, caller and destination
// the user sets while not forwarding, the request that switches forwarding on or off,
// and what the address status last said about it.

#include "TnvCallParameters.h"

#include <TapiStructs.h>

#include <QByteArray>
#include <QObject>
#include <QString>

class TnvLineContext;

class TnvAddressForward : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(TnvCallParameters* Parameters READ Parameters CONSTANT)
    Q_PROPERTY(QString Caller READ Caller WRITE setCaller STORED false)
    Q_PROPERTY(QString PhoneNumber READ PhoneNumber WRITE setPhoneNumber STORED false)
    Q_PROPERTY(uint ConsultCall READ ConsultCall STORED false)
    Q_PROPERTY(int NumForwardEntries READ NumForwardEntries STORED false)
    Q_PROPERTY(uint Mode READ Mode WRITE setMode STORED false)

public:
    // Caller and destination fit the forward list with their NUL in this many bytes.
    static constexpr int MaxAddressBytes = 32;
    // The forward list handed to the service: its fixed part and room for both texts.
    static constexpr int ListSize = 96;

    TnvAddressForward(TnvLineContext* line, QObject* parent);

    bool Active() const { return m_active; }
    TnvCallParameters* Parameters() const { return m_parameters; }
    QString Caller() const { return m_caller; }
    QString PhoneNumber() const { return m_phoneNumber; }
    HCALL ConsultCall() const { return m_consultCall; }
    qint32 NumForwardEntries() const { return m_numForwardEntries; }
    quint32 Mode() const { return m_mode; }

    // Forwards (true) or un-forwards the selected address and waits for the reply.
    void setActive(bool value);
    // Forwarding settings; refused while forwarding.
    void setCaller(const QString& value);
    void setPhoneNumber(const QString& value);
    void setMode(quint32 value);

    // What the address status says; no trace, no checks.
    void storeStatus(bool active, quint32 mode, const QString& caller, const QString& phoneNumber,
                     qint32 numForwardEntries);
    // Forgets the status (not the settings or the parameters).
    void clearStatus();

    // Builds the LINEFORWARDLIST for the current settings: one entry with the texts
    // after the fixed part. 0, or the error when a text does not fit or memory is short.
    LONG forwardList(QByteArray& list) const;

    // Lines start with the caller's prefix ("Address") and "Forward."; the parameters
    // dump on their own.
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    void setText(QString& field, const char* name, const QString& value);
    void refresh();

    TnvLineContext* m_line;
    TnvCallParameters* m_parameters;
    bool m_active = false;
    QString m_caller;
    QString m_phoneNumber;
    HCALL m_consultCall = 0;
    qint32 m_numForwardEntries = 0;
    quint32 m_mode = 1; // LINEFORWARDMODE_UNCOND
};
