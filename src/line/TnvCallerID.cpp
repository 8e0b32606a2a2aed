#include "TnvCallerID.h"

#include "TnvCallRecord.h"
#include "TnvLineDevice.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"
#include "TnvTapiBuffer.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <QLocale>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// A stored mask longer than this is refused; no picture a person writes comes near it.
constexpr qsizetype kMaxMaskLength = 1024;

struct PartyFacts {
    const char* name;
    const char* kind;
    const char* event;
    TnvPopup::Event popupEvent;
    quint32 stateBit;
    std::size_t fieldsOffset;
};

// The five fields of a party (flags, number size and offset, name size and offset) lie
// side by side in LINECALLINFO, starting at its flags field.
const PartyFacts kParties[TnvCallerID::PartyCount] = {
    {"CallerID", "Caller", "OnCallerID", TnvPopup::OnCallerIDEvent, LINECALLINFOSTATE_CALLERID, offsetof(LINECALLINFO, dwCallerIDFlags)},
    {"CalledID", "Called", "OnCalledID", TnvPopup::OnCalledIDEvent, LINECALLINFOSTATE_CALLEDID, offsetof(LINECALLINFO, dwCalledIDFlags)},
    {"ConnectedID", "Connected", "OnConnectedID", TnvPopup::OnConnectedIDEvent, LINECALLINFOSTATE_CONNECTEDID,
     offsetof(LINECALLINFO, dwConnectedIDFlags)},
    {"RedirectionID", "Redirection", "OnRedirectionID", TnvPopup::OnRedirectionIDEvent, LINECALLINFOSTATE_REDIRECTIONID,
     offsetof(LINECALLINFO, dwRedirectionIDFlags)},
    {"RedirectingID", "Redirecting", "OnRedirectingID", TnvPopup::OnRedirectingIDEvent, LINECALLINFOSTATE_REDIRECTINGID,
     offsetof(LINECALLINFO, dwRedirectingIDFlags)},
};

static_assert(offsetof(LINECALLINFO, dwCallerIDNameOffset) - offsetof(LINECALLINFO, dwCallerIDFlags) == 16);
static_assert(offsetof(LINECALLINFO, dwRedirectingIDNameOffset) - offsetof(LINECALLINFO, dwRedirectingIDFlags) == 16);

constexpr qsizetype kPartyFieldsSize = 5 * sizeof(DWORD);

// One position of a picture: an input position or a literal character.
struct MaskToken {
    bool input = false;
    QChar literal;
};

bool isInputChar(QChar c)
{
    return QStringView(u"0ACL9#acl").contains(c);
}

std::vector<MaskToken> tokenize(const QString& picture, QChar dateSeparator, QChar timeSeparator)
{
    std::vector<MaskToken> tokens;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture.at(i);
        if (c == u'\\') {
            if (++i < picture.size())
                tokens.push_back({false, picture.at(i)});
        } else if (c == u'!' || c == u'<' || c == u'>') {
            continue;
        } else if (isInputChar(c)) {
            tokens.push_back({true, {}});
        } else if (c == u'/') {
            tokens.push_back({false, dateSeparator});
        } else if (c == u':') {
            tokens.push_back({false, timeSeparator});
        } else {
            tokens.push_back({false, c});
        }
    }
    return tokens;
}

bool hasReverseDirective(const QString& picture)
{
    for (qsizetype i = 0; i < picture.size(); ++i) {
        if (picture.at(i) == u'\\')
            ++i;
        else if (picture.at(i) == u'!')
            return true;
    }
    return false;
}

// Literals are not in the value: put each one where the picture has it.
QString insertLiterals(const QString& value, const std::vector<MaskToken>& tokens, bool reverse)
{
    QString text = value;
    if (!reverse) {
        qsizetype position = 0;
        for (const MaskToken& token : tokens) {
            if (!token.input)
                text.insert(position, token.literal);
            else if (text.size() <= position)
                text.append(u' ');
            ++position;
        }
        return text;
    }
    qsizetype pointer = text.size();
    for (auto it = tokens.rbegin(); it != tokens.rend(); ++it) {
        if (!it->input)
            text.insert(pointer, it->literal);
        else if (pointer == 0)
            text.prepend(u' ');
        else
            --pointer;
    }
    return text;
}

// Literals are already in the value: fit each field between them to its picture width.
QString alignFields(const QString& value, const std::vector<MaskToken>& tokens, bool reverse)
{
    const qsizetype count = qsizetype(tokens.size());
    QString out;
    if (!reverse) {
        qsizetype index = 0;
        for (qsizetype k = 0; k < count;) {
            if (!tokens[size_t(k)].input) {
                if (index < value.size() && value.at(index) == tokens[size_t(k)].literal)
                    ++index;
                out += tokens[size_t(k)].literal;
                ++k;
                continue;
            }
            qsizetype width = 0;
            while (k + width < count && tokens[size_t(k + width)].input)
                ++width;
            qsizetype end = value.size();
            if (k + width < count) {
                const qsizetype found = value.indexOf(tokens[size_t(k + width)].literal, index);
                if (found >= 0)
                    end = found;
            }
            out += value.mid(index, end - index).left(width).leftJustified(width, u' ');
            index = end;
            k += width;
        }
        return out + value.mid(index);
    }
    qsizetype index = value.size();
    for (qsizetype k = count - 1; k >= 0;) {
        if (!tokens[size_t(k)].input) {
            if (index > 0 && value.at(index - 1) == tokens[size_t(k)].literal)
                --index;
            out.prepend(tokens[size_t(k)].literal);
            --k;
            continue;
        }
        qsizetype width = 0;
        while (k - width >= 0 && tokens[size_t(k - width)].input)
            ++width;
        qsizetype start = 0;
        if (k - width >= 0) {
            const QChar literal = tokens[size_t(k - width)].literal;
            for (qsizetype i = index - 1; i >= 0; --i) {
                if (value.at(i) == literal) {
                    start = i + 1;
                    break;
                }
            }
        }
        out.prepend(value.mid(start, index - start).right(width).rightJustified(width, u' '));
        index = start;
        k -= width;
    }
    return value.left(index) + out;
}

// The first character of a locale format that is no field letter nor quote.
QChar formatSeparator(const QString& format, QChar fallback)
{
    for (QChar c : format)
        if (!c.isLetter() && c != u'\'' && !c.isSpace())
            return c;
    return fallback;
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

TnvCallerID::TnvCallerID(TnvLineContext* line, const QString& partName, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    // FIXME: an unknown part name falls back to the caller's fields.
    m_party = partyFromName(partName).value_or(Caller);
    setObjectName(partName);
}

void TnvCallerID::changed()
{
    if (TnvLineView* view = m_line->view())
        view->RefreshCallerID();
}

void TnvCallerID::setFormatName(bool value) { m_formatName = value; changed(); }
void TnvCallerID::setEventFilter(bool value) { m_eventFilter = value; changed(); }

void TnvCallerID::setMaskNumber(const QString& value)
{
    if (value.size() <= kMaxMaskLength)
        m_maskNumber = value;
    changed();
}

QString TnvCallerID::Name() const
{
    return m_formatName ? formatName(m_record.rawName) : m_record.rawName;
}

QString TnvCallerID::telephoneNumber(const QString& raw)
{
    QStringView number(raw);
    for (QLatin1StringView scheme : {QLatin1StringView("tel:"), QLatin1StringView("sip:"), QLatin1StringView("sips:")})
        if (number.startsWith(scheme, Qt::CaseInsensitive))
            number = number.sliced(scheme.size());
    bool digit = false;
    for (QChar c : number) {
        if ((c >= u'0' && c <= u'9') || c == u'*' || c == u'#')
            digit = true;
        else if (!QStringView(u" +()-.").contains(c))
            return {};
    }
    return digit ? number.toString() : QString();
}

QString TnvCallerID::Number() const
{
    // A network address (user@host, a SIP URI with a name) is not a telephone number:
    // it is shown whole, never stripped or laid out through the mask.
    QString number = telephoneNumber(m_record.rawNumber);
    if (number.isEmpty() && !m_record.rawNumber.isEmpty())
        return m_record.rawNumber;
    // Always stripped before the mask, whatever the device dials: the mask lays out
    // digits, and punctuation in the raw number would land between its literals.
    if (!m_line->Device()->TranslatePhoneNumber())
        number.removeIf([](QChar c) { return QStringView(u" +()-.").contains(c); });
    if (!m_maskNumber.isEmpty())
        number = applyMask(number, m_maskNumber);
    return number;
}

void TnvCallerID::Reset()
{
    m_record = Record{};
}

namespace {

void copyParty(TnvCallerID::Record& to, const TnvCallerID::Record& from)
{
    copyRecordText(to.rawName, from.rawName);
    copyRecordText(to.rawNumber, from.rawNumber);
    to.blocked = from.blocked;
    to.outOfArea = from.outOfArea;
    to.flags = from.flags;
    to.reported = from.reported;
    to.eventFilter = from.eventFilter;
}

} // namespace

TnvCallerID::Record TnvCallerID::save() const
{
    Record record;
    saveInto(record);
    return record;
}

void TnvCallerID::saveInto(Record& record) const
{
    copyParty(record, m_record);
    record.eventFilter = m_eventFilter;
}

void TnvCallerID::load(const Record& record)
{
    // EventFilter is a setting of this object; a record's copy only serves the rule.
    const bool eventFilter = m_record.eventFilter;
    copyParty(m_record, record);
    m_record.eventFilter = eventFilter;
}

TnvCallerID::Fill TnvCallerID::fillFrom(const QByteArray& callInfoBlock)
{
    return fill(m_record, m_party, callInfoBlock);
}

bool TnvCallerID::isDue(quint32 filterMask) const
{
    Record record = m_record;
    record.eventFilter = m_eventFilter;
    return isDue(record, filterMask);
}

void TnvCallerID::announce(HCALL handle)
{
    announce(m_line, m_party, m_record, handle);
}

bool TnvCallerID::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, objectName());
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Blocked = ") + TnvVantage::BoolText(m_record.blocked));
    log->Add(false, path + QStringLiteral("EventFilter = ") + TnvVantage::BoolText(m_eventFilter));
    log->Add(false, path + QStringLiteral("Flags = ") + TnvVantage::HexText(m_record.flags));
    // The flag names sit one tab deeper, behind the full path (the trace's own layout).
    for (quint32 bit = LINECALLPARTYID_BLOCKED; bit <= LINECALLPARTYID_UNAVAIL; bit <<= 1)
        if (m_record.flags & bit)
            log->Add(false, QLatin1Char('\t') + path + CallPartyIDText(bit));
    log->Add(false, path + QStringLiteral("FormatName = ") + TnvVantage::BoolText(m_formatName));
    log->Add(false, path + QStringLiteral("MaskNumber = ") + quoted(m_maskNumber));
    log->Add(false, path + QStringLiteral("Name = ") + quoted(Name()));
    log->Add(false, path + QStringLiteral("Number = ") + quoted(Number()));
    log->Add(false, path + QStringLiteral("OutOfArea = ") + TnvVantage::BoolText(m_record.outOfArea));
    return true;
}

// --- Per-party facts ---------------------------------------------------------------

std::optional<TnvCallerID::Party> TnvCallerID::partyFromName(QStringView partName)
{
    for (int i = 0; i < PartyCount; ++i)
        if (partName == QLatin1String(kParties[i].name))
            return Party(i);
    return std::nullopt;
}

QString TnvCallerID::partName(Party party) { return QLatin1String(kParties[party].name); }
QString TnvCallerID::kindWord(Party party) { return QLatin1String(kParties[party].kind); }
quint32 TnvCallerID::stateBit(Party party) { return kParties[party].stateBit; }
const char* TnvCallerID::eventName(Party party) { return kParties[party].event; }

// --- Records -----------------------------------------------------------------------

TnvCallerID::Fill TnvCallerID::fill(Record& record, Party party, const QByteArray& callInfoBlock)
{
    const std::size_t at = kParties[party].fieldsOffset;
    if (callInfoBlock.size() < qsizetype(at) + kPartyFieldsSize)
        return Fill::Invalid;
    DWORD fields[5];
    std::memcpy(fields, callInfoBlock.constData() + at, sizeof fields);
    const DWORD flags = fields[0];

    const QString number = TnvTapiBuffer::text(callInfoBlock, fields[1], fields[2]);
    const bool numberChanged = number != record.rawNumber;
    record.rawNumber = number;
    const QString name = TnvTapiBuffer::text(callInfoBlock, fields[3], fields[4]);
    const bool nameChanged = name != record.rawName;
    record.rawName = name;

    bool changed = true;
    if (flags == record.flags)
        changed = numberChanged || nameChanged;
    else
        record.flags = flags;
    record.blocked = (flags & LINECALLPARTYID_BLOCKED) != 0;
    record.outOfArea = (flags & LINECALLPARTYID_OUTOFAREA) != 0;
    // An unchanged identification is never announced again.
    record.reported = !changed;
    return changed ? Fill::Changed : Fill::Unchanged;
}

void TnvCallerID::fillParties(Records& records, const QByteArray& callInfoBlock, quint32 states)
{
    for (int i = 0; i < PartyCount; ++i)
        if (states & kParties[i].stateBit)
            fill(records[size_t(i)], Party(i), callInfoBlock);
}

bool TnvCallerID::isDue(const Record& record, quint32 filterMask)
{
    return !record.reported && (!record.eventFilter || (record.flags & filterMask) == 0);
}

void TnvCallerID::announce(TnvLineContext* line, Party party, Record& record, HCALL handle)
{
    const QString kind = kindWord(party);
    const QString path = QStringLiteral("\tCall.") + kind + QStringLiteral("ID.");
    line->write(true, QStringLiteral("On") + kind + QStringLiteral("ID ") + TnvVantage::HexText(handle));
    line->write(false, path + QStringLiteral("Blocked = ") + TnvVantage::BoolText(record.blocked));
    line->write(false, path + QStringLiteral("Name = ") + quoted(record.rawName));
    line->write(false, path + QStringLiteral("Number = ") + quoted(record.rawNumber));
    line->write(false, path + QStringLiteral("OutOfArea = ") + TnvVantage::BoolText(record.outOfArea));
    line->Vantage()->LogFlags(path + QStringLiteral("Flags"), record.flags, CallPartyIDText, LINECALLPARTYID_UNAVAIL,
                              LINECALLPARTYID_BLOCKED);
    // Marked before the handler runs: a handler that pumps messages must not see it due,
    // and the record may not outlive the handler.
    record.reported = true;
    line->fireCallEvent(kParties[party].popupEvent, handle);
}

int TnvCallerID::announceParties(TnvLineContext* line, Records& records, HCALL handle, quint32 states,
                                 quint32 filterMask)
{
    int announced = 0;
    for (int i = 0; i < PartyCount; ++i) {
        Record& record = records[size_t(i)];
        if ((states & kParties[i].stateBit) && isDue(record, filterMask)) {
            announce(line, Party(i), record, handle);
            ++announced;
        }
    }
    return announced;
}

// --- Presentation ------------------------------------------------------------------

QString TnvCallerID::formatName(const QString& rawName)
{
    QString name = rawName;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= u'A' && c <= u'Z')
            name[i] = QChar(char16_t(c + 32));
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if ((i == 0 || name.at(i - 1) == u' ') && c >= u'a' && c <= u'z')
            name[i] = QChar(char16_t(c - 32));
    }
    return name;
}

TnvCallerID::MaskParts TnvCallerID::splitMask(const QString& mask)
{
    MaskParts parts;
    qsizetype separator = -1;
    // Only the tail can hold the flag fields, so only a ";" there ends the picture.
    for (qsizetype i = qMax<qsizetype>(0, mask.size() - 4); i < mask.size(); ++i) {
        if (mask.at(i) == u';' && (i == 0 || mask.at(i - 1) != u'\\')) {
            separator = i;
            break;
        }
    }
    if (separator < 0) {
        parts.picture = mask;
    } else {
        parts.picture = mask.left(separator);
        const QStringList fields = mask.mid(separator + 1).split(u';');
        if (!fields.value(0).isEmpty())
            parts.saveLiterals = fields.at(0).at(0);
        if (!fields.value(1).isEmpty())
            parts.blank = fields.at(1).at(0);
    }
    parts.reverse = hasReverseDirective(parts.picture);
    return parts;
}

QString TnvCallerID::applyMask(const QString& value, const QString& mask, QChar dateSeparator, QChar timeSeparator)
{
    const MaskParts parts = splitMask(mask);
    const std::vector<MaskToken> tokens = tokenize(parts.picture, dateSeparator, timeSeparator);
    if (parts.saveLiterals == QChar(u'0'))
        return insertLiterals(value, tokens, parts.reverse);
    return alignFields(value, tokens, parts.reverse);
}

QString TnvCallerID::applyMask(const QString& value, const QString& mask)
{
    return applyMask(value, mask, systemDateSeparator(), systemTimeSeparator());
}

QChar TnvCallerID::systemDateSeparator()
{
    return formatSeparator(QLocale::system().dateFormat(QLocale::ShortFormat), u'/');
}

QChar TnvCallerID::systemTimeSeparator()
{
    return formatSeparator(QLocale::system().timeFormat(QLocale::ShortFormat), u':');
}
