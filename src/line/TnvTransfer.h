#pragma once

// The consultation transfer of the line control: a consultation call is set up for the
// primary call, and the two are then swapped, joined into a transfer, or joined into a
// three-way call. The calls it makes are ordinary calls of the call object; their
// pending requests live in the call records, where the dispatch matches the replies.

#include <TapiStructs.h>

#include <QObject>
#include <QString>

class TnvCallParameters;
class TnvLineContext;

class TnvTransfer : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString PhoneNumber READ PhoneNumber WRITE setPhoneNumber STORED false)
    Q_PROPERTY(uint PrimaryCall READ PrimaryCall WRITE setPrimaryCall STORED false)
    Q_PROPERTY(uint ConsultCall READ ConsultCall WRITE setConsultCall STORED false)
    Q_PROPERTY(uint ThreeWayCall READ ThreeWayCall STORED false)
    Q_PROPERTY(TnvCallParameters* Parameters READ Parameters CONSTANT)

public:
    TnvTransfer(TnvLineContext* line, QObject* parent);

    TnvCallParameters* Parameters() const { return m_parameters; }
    QString PhoneNumber() const { return m_phoneNumber; }
    HCALL PrimaryCall() const { return m_primaryCall; }
    HCALL ConsultCall() const { return m_consultCall; }
    HCALL ThreeWayCall() const { return m_threeWayCall; }

    void setPhoneNumber(const QString& value);
    void setPrimaryCall(HCALL value);
    void setConsultCall(HCALL value);

    Q_INVOKABLE bool Dial();
    Q_INVOKABLE bool SwapHold();
    Q_INVOKABLE bool Complete();
    Q_INVOKABLE bool ThreeWay();

    // Back to idle: no calls (the number stays).
    void Reset();
    // A call that went idle leaves the transfer.
    void release(HCALL handle);
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    // Dial's consultation call, set up and dialled; the error is set on failure.
    qint32 setUpConsultation(const QByteArray& number);
    void refreshView();
    QString hex(HCALL handle) const;

    TnvLineContext* m_line;
    TnvCallParameters* m_parameters;
    QString m_phoneNumber;
    HCALL m_primaryCall = 0;
    HCALL m_consultCall = 0;
    HCALL m_threeWayCall = 0;
};
