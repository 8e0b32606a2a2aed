#pragma once

// One identification of a party to the current call (caller, called, connected,
// redirection or redirecting): the raw name and number as the service gave them, shown
// through the name formatting and the number's edit mask, and the reported mark that
// keeps an unchanged identification from being announced twice.

#include <TapiStructs.h>

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

class TnvLineContext;

class TnvCallerID : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool FormatName READ FormatName WRITE setFormatName)
    Q_PROPERTY(QString MaskNumber READ MaskNumber WRITE setMaskNumber)
    Q_PROPERTY(bool EventFilter READ EventFilter WRITE setEventFilter)
    Q_PROPERTY(QString Name READ Name STORED false)
    Q_PROPERTY(QString Number READ Number STORED false)
    Q_PROPERTY(bool Blocked READ Blocked STORED false)
    Q_PROPERTY(bool OutOfArea READ OutOfArea STORED false)
    Q_PROPERTY(uint Flags READ Flags STORED false)

public:
    // The five parties, in the order they are announced.
    enum Party { Caller, Called, Connected, Redirection, Redirecting, PartyCount };

    // The copy of one party's identification that each call record keeps.
    // Copied field by field where records are saved and loaded (copyParty).
    struct Record {
        QString rawName;
        QString rawNumber;
        bool blocked = false;
        bool outOfArea = false;
        quint32 flags = 0;
        bool reported = false;
        // A record never saved from the visible object does not filter.
        bool eventFilter = false;
    };
    using Records = std::array<Record, PartyCount>;

    // What filling from a call-info block did to the identification.
    enum class Fill { Invalid, Unchanged, Changed };

    // The mask layout reads picture, flag and blank from the mask text.
    struct MaskParts {
        QString picture;
        std::optional<QChar> saveLiterals;
        std::optional<QChar> blank;
        bool reverse = false;
    };

    TnvCallerID(TnvLineContext* line, const QString& partName, QObject* parent);

    bool FormatName() const { return m_formatName; }
    QString MaskNumber() const { return m_maskNumber; }
    bool EventFilter() const { return m_eventFilter; }
    void setFormatName(bool value);
    void setMaskNumber(const QString& value);
    void setEventFilter(bool value);

    // Computed on every read from the raw values and the current settings.
    QString Name() const;
    QString Number() const;
    bool Blocked() const { return m_record.blocked; }
    bool OutOfArea() const { return m_record.outOfArea; }
    quint32 Flags() const { return m_record.flags; }

    Party party() const { return m_party; }
    QString rawName() const { return m_record.rawName; }
    QString rawNumber() const { return m_record.rawNumber; }
    bool reported() const { return m_record.reported; }

    // Empties the identification; the three settings stay.
    void Reset();
    // The call record's copy, with this object's EventFilter.
    Record save() const;
    // The same, written over the call record's copy.
    void saveInto(Record& record) const;
    // Takes the identification from a call record; the settings stay this object's own.
    void load(const Record& record);

    // Fills this party from a LINECALLINFO block, as the call-info refresh does.
    Fill fillFrom(const QByteArray& callInfoBlock);
    // Whether this identification is announced under the given filter mask.
    bool isDue(quint32 filterMask) const;
    // Writes the party block, fires the event and marks the identification reported.
    void announce(HCALL handle);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // Per-party facts of the call-info block and the trace.
    static std::optional<Party> partyFromName(QStringView partName);
    static QString partName(Party party);
    static QString kindWord(Party party);
    static quint32 stateBit(Party party);
    static const char* eventName(Party party);

    // The record-level steps the dispatcher runs on a call's five records.
    static Fill fill(Record& record, Party party, const QByteArray& callInfoBlock);
    static void fillParties(Records& records, const QByteArray& callInfoBlock, quint32 states);
    static bool isDue(const Record& record, quint32 filterMask);
    static void announce(TnvLineContext* line, Party party, Record& record, HCALL handle);
    // The party-ID rule: announces each due party whose state bit is in states; gives
    // how many were announced.
    static int announceParties(TnvLineContext* line, Records& records, HCALL handle, quint32 states,
                               quint32 filterMask);

    // Pure presentation steps.
    static QString formatName(const QString& rawName);
    // The telephone number in raw (digits with the usual separators, bare or after a
    // tel:, sip: or sips: scheme) without its scheme; empty for anything else.
    static QString telephoneNumber(const QString& raw);
    static MaskParts splitMask(const QString& mask);
    static QString applyMask(const QString& value, const QString& mask, QChar dateSeparator, QChar timeSeparator);
    static QString applyMask(const QString& value, const QString& mask);
    static QChar systemDateSeparator();
    static QChar systemTimeSeparator();

private:
    void changed();

    TnvLineContext* m_line;
    Party m_party = Caller;
    bool m_formatName = true;
    QString m_maskNumber = QStringLiteral("000-000-0000;0");
    bool m_eventFilter = true;
    Record m_record;
};
