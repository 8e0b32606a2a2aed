#pragma once

// The conference of the line control, built step by step: the primary call, a
// conference call, and consultation calls that are dialled, added and removed again.
// The consultation calls that belong to it are listed by handle, in the order they were
// set up; the dispatch keeps the list current as calls join and go idle.

#include <TapiStructs.h>

#include <QObject>
#include <QString>
#include <QStringList>

class TnvCallParameters;
struct TnvCallRecord;
class TnvLineContext;

class TnvConference : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString PhoneNumber READ PhoneNumber WRITE setPhoneNumber STORED false)
    Q_PROPERTY(uint PrimaryCall READ PrimaryCall WRITE setPrimaryCall STORED false)
    Q_PROPERTY(uint ConsultCall READ ConsultCall WRITE setConsultCall STORED false)
    Q_PROPERTY(uint Handle READ Handle STORED false)
    Q_PROPERTY(int Count READ Count STORED false)
    Q_PROPERTY(QStringList List READ List STORED false)
    Q_PROPERTY(TnvCallParameters* Parameters READ Parameters CONSTANT)

public:
    TnvConference(TnvLineContext* line, QObject* parent);

    TnvCallParameters* Parameters() const { return m_parameters; }
    QString PhoneNumber() const { return m_phoneNumber; }
    HCALL PrimaryCall() const { return m_primaryCall; }
    HCALL ConsultCall() const { return m_consultCall; }
    HCALL Handle() const { return m_handle; }
    int Count() const { return m_count; }
    const QStringList& List() const { return m_list; }

    void setPhoneNumber(const QString& value);
    void setPrimaryCall(HCALL value);
    // Only a listed consultation call can be chosen.
    void setConsultCall(HCALL value);

    Q_INVOKABLE bool Dial();
    Q_INVOKABLE bool SwapHold();
    Q_INVOKABLE bool AddCall();
    Q_INVOKABLE bool RemoveCall();

    // Back to idle: no calls, an empty list (the number stays).
    void Reset();

    // What the dispatch and the transfer tell it.
    void listConsultation(HCALL handle);
    void noteConferenced(HCALL handle, DWORD origin, DWORD stateMode);
    void noteConferenceCall(HCALL handle, DWORD origin);
    void release(HCALL handle);
    void adoptThreeWay(const QString& phoneNumber, HCALL primary, HCALL consult, HCALL threeWay);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    void cleanUpFailedDial(TnvCallRecord* conferenceRecord, HCALL consultation);
    void removeListed(HCALL handle);
    void refreshView();
    QString hex(HCALL handle) const;

    TnvLineContext* m_line;
    TnvCallParameters* m_parameters;
    QString m_phoneNumber;
    HCALL m_primaryCall = 0;
    HCALL m_consultCall = 0;
    HCALL m_handle = 0;
    int m_count = 0;
    QStringList m_list;
};
