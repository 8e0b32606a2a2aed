#pragma once

// The line control's call object: the current call, the list of known calls and the
// chain of call records with their request slots.
// FIXME: the call operations, party identification and monitoring arrive with the
// message dispatch; this holds what opening and closing the line need.

#include "TnvCallRecord.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <list>
#include <memory>

class TnvCallParameters;
class TnvLineInternal;

class TnvCall : public QObject {
    Q_OBJECT
    Q_PROPERTY(TnvCallParameters* Parameters READ Parameters CONSTANT)
    Q_PROPERTY(QString PhoneNumber READ PhoneNumber WRITE setPhoneNumber STORED false)
    Q_PROPERTY(int Tag READ Tag WRITE setTag STORED false)

public:
    TnvCall(TnvLineInternal* line, QObject* parent);
    ~TnvCall() override;

    TnvCallParameters* Parameters() const { return m_parameters; }
    bool Active() const { return m_active; }
    void setActiveState(bool value) { m_active = value; }
    HCALL Handle() const { return m_handle; }
    void setHandleValue(HCALL value) { m_handle = value; }
    DWORD ID() const { return m_id; }
    DWORD MediaMode() const { return m_mediaMode; }
    QString PhoneNumber() const { return m_phoneNumber; }
    void setPhoneNumber(const QString& value) { m_phoneNumber = value; }
    qint32 Tag() const { return m_tag; }
    void setTag(qint32 value) { m_tag = value; }
    const QStringList& List() const { return m_list; }
    int Count() const { return m_count; }

    // The record chain, newest first behind a sentinel of handle 0.
    TnvCallRecord& CurrentRecord();
    TnvCallRecord* FindCallRecord(HCALL handle);
    TnvCallRecord* AddCallRecord(HCALL handle);
    void RemoveCallRecord(TnvCallRecord* record);
    // Marks the first slot holding the request as replied; false when none does.
    bool markReplied(qint32 request);
    // A fresh list on opening: the sentinel and the no-call entry only.
    void ResetList();
    // Ends a listed call: forced, or when its record is idle; fires OnCallEnd.
    bool EndCall(bool forced, HCALL handle);
    // Forgets the call data (not the list).
    void ClearCallData();

private:
    TnvLineInternal* m_line;
    TnvCallParameters* m_parameters;
    std::list<std::unique_ptr<TnvCallRecord>> m_records; // front is the sentinel
    TnvCallRecord* m_current = nullptr;
    QStringList m_list;
    int m_count = 0;
    bool m_active = false;
    HCALL m_handle = 0;
    DWORD m_id = 0;
    DWORD m_mediaMode = 0;
    QString m_phoneNumber;
    qint32 m_tag = 0;
};
