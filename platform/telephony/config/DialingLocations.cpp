#include "DialingLocations.h"

#include "IniValue.h"
#include "TapiConstants.h"

#include <QSet>
#include <QStringList>

namespace Telephony {

namespace {

// FIXME: there are no calling cards yet, so CARDOVERRIDE is accepted and ignored.
constexpr DWORD knownOptions = LINETRANSLATEOPTION_CARDOVERRIDE | LINETRANSLATEOPTION_CANCELCALLWAITING
    | LINETRANSLATEOPTION_FORCELOCAL | LINETRANSLATEOPTION_FORCELD;

enum class CallKind { Local, LongDistance, International };

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

bool containsDigit(QStringView text)
{
    for (QChar c : text) {
        if (isAsciiDigit(c))
            return true;
    }
    return false;
}

// Spaces, dashes and periods only make a number readable; the exchange never sees them.
bool isFormatting(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

// Digits and the dial modifiers a subscriber number may carry (DTMF letters, pulse and
// tone switches, wait for dial tone, flash, quiet answer, billing tone, prompt, pause).
bool isDialCharacter(QChar c)
{
    static const QString modifiers = QStringLiteral("AaBbCcDdPpTtWw*#!@$?,");
    return isAsciiDigit(c) || modifiers.contains(c);
}

QString withoutFormatting(QStringView text, bool alsoParentheses)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (isFormatting(c))
            continue;
        if (alsoParentheses && (c == QLatin1Char('(') || c == QLatin1Char(')')))
            continue;
        out.append(c);
    }
    return out;
}

// Parentheses in a number group an area code: one level, always closed.
bool parenthesesBalanced(QStringView text)
{
    bool open = false;
    for (QChar c : text) {
        if (c == QLatin1Char('(')) {
            if (open)
                return false;
            open = true;
        } else if (c == QLatin1Char(')')) {
            if (!open)
                return false;
            open = false;
        }
    }
    return !open;
}

bool isValidCode(const QString& code, int maxLength, bool allowDialSymbols)
{
    if (code.size() > maxLength)
        return false;
    for (QChar c : code) {
        const bool symbol = c == QLatin1Char('*') || c == QLatin1Char('#') || c == QLatin1Char(',');
        if (!isAsciiDigit(c) && !(allowDialSymbols && symbol))
            return false;
    }
    return true;
}

TranslatedAddress failure(const DialingLocation& location, std::uint32_t code)
{
    TranslatedAddress out;
    out.result = static_cast<LONG>(code);
    out.currentCountry = location.countryCode;
    return out;
}

} // namespace

TranslatedAddress DialingLocations::translate(const DialingLocation& location, const QString& input, DWORD options)
{
    if ((options & ~knownOptions) != 0)
        return failure(location, LINEERR_INVALPARAM);
    if ((options & LINETRANSLATEOPTION_FORCELOCAL) && (options & LINETRANSLATEOPTION_FORCELD))
        return failure(location, LINEERR_INVALPARAM);
    // A location that breaks the rules can only come from a damaged configuration.
    if (!checkLocation(location).isEmpty())
        return failure(location, LINEERR_INIFILECORRUPT);
    if (input.size() > maxAddressLength)
        return failure(location, LINEERR_INVALADDRESS);

    // Further addresses after a line break are for other channels; only the first
    // one is translated.
    QStringView first(input);
    for (qsizetype i = 0; i < first.size(); ++i) {
        if (first[i] == QLatin1Char('\r') || first[i] == QLatin1Char('\n')) {
            first = first.left(i);
            break;
        }
    }
    if (IniValue::hasControlCharacter(first))
        return failure(location, LINEERR_INVALADDRESS);

    // The subaddress ("|...") and name ("^...") ride along in the dialable string.
    qsizetype tailStart = first.size();
    for (qsizetype i = 0; i < first.size(); ++i) {
        if (first[i] == QLatin1Char('|') || first[i] == QLatin1Char('^')) {
            tailStart = i;
            break;
        }
    }
    const QString tail = first.mid(tailStart).toString();
    const QStringView number = first.left(tailStart).trimmed();
    if (number.isEmpty())
        return failure(location, LINEERR_INVALADDRESS);

    TranslatedAddress out;
    out.currentCountry = location.countryCode;

    if (!number.startsWith(QLatin1Char('+'))) {
        // Not canonical: the caller already knows what to dial.
        if (!parenthesesBalanced(number))
            return failure(location, LINEERR_INVALADDRESS);
        const QString digits = withoutFormatting(number, true);
        if (digits.isEmpty())
            return failure(location, LINEERR_INVALADDRESS);
        out.dialable = digits + tail;
        out.displayable = number.toString();
        return out;
    }

    QStringView rest = number.mid(1);
    if (!containsDigit(rest))
        return failure(location, LINEERR_INVALADDRESS);
    rest = rest.trimmed();

    qsizetype countryDigits = 0;
    while (countryDigits < rest.size() && isAsciiDigit(rest[countryDigits]))
        ++countryDigits;
    // The country code ends at a space (or the area code's parenthesis); anything else
    // leaves it unknown where the country code stops.
    // FIXME: "+14255550100" (no separator) needs a table of country code lengths.
    if (countryDigits == 0 || countryDigits > 3 || rest[0] == QLatin1Char('0'))
        return failure(location, LINEERR_INVALCOUNTRYCODE);
    if (countryDigits < rest.size() && rest[countryDigits] != QLatin1Char(' ')
        && rest[countryDigits] != QLatin1Char('('))
        return failure(location, LINEERR_INVALCOUNTRYCODE);
    const DWORD country = rest.left(countryDigits).toUInt();
    rest = rest.mid(countryDigits).trimmed();

    QString area;
    if (rest.startsWith(QLatin1Char('('))) {
        const qsizetype close = rest.indexOf(QLatin1Char(')'));
        if (close < 0)
            return failure(location, LINEERR_INVALADDRESS);
        const QStringView inner = rest.mid(1, close - 1).trimmed();
        if (inner.isEmpty() || !allDigits(inner) || inner.size() > maxAreaCodeLength)
            return failure(location, LINEERR_INVALADDRESS);
        area = inner.toString();
        rest = rest.mid(close + 1).trimmed();
    }

    const QStringView subscriber = rest;
    for (QChar c : subscriber) {
        if (!isDialCharacter(c) && !isFormatting(c))
            return failure(location, LINEERR_INVALADDRESS);
    }
    const QString subscriberDigits = withoutFormatting(subscriber, false);
    if (!containsDigit(subscriberDigits))
        return failure(location, LINEERR_INVALADDRESS);

    CallKind kind = CallKind::International;
    if (country == location.countryCode) {
        if (options & LINETRANSLATEOPTION_FORCELOCAL)
            kind = CallKind::Local;
        else if (options & LINETRANSLATEOPTION_FORCELD)
            kind = CallKind::LongDistance;
        else if (area.isEmpty() || area == location.areaCode)
            kind = CallKind::Local; // a number without area code is complete within its country
        else
            kind = CallKind::LongDistance;
    }

    // Pulse dialing says so up front; tone is what dialing assumes, so it stays unmarked.
    QString dialable = location.pulseDialing ? QStringLiteral("P") : QString();
    QStringList shown;
    const auto add = [&](const QString& part) {
        if (!part.isEmpty()) {
            dialable += part;
            shown << part;
        }
    };
    if ((options & LINETRANSLATEOPTION_CANCELCALLWAITING) && !location.cancelCallWaiting.isEmpty())
        add(location.cancelCallWaiting + QLatin1Char(','));

    switch (kind) {
    case CallKind::Local:
        add(location.localAccessCode);
        out.translateResults = LINETRANSLATERESULT_LOCAL;
        break;
    case CallKind::LongDistance:
        add(location.longDistanceAccessCode);
        add(location.longDistancePrefix);
        add(area);
        out.translateResults = LINETRANSLATERESULT_LONGDISTANCE;
        break;
    case CallKind::International:
        add(location.longDistanceAccessCode);
        add(location.internationalPrefix);
        add(QString::number(country));
        add(area);
        out.translateResults = LINETRANSLATERESULT_INTERNATIONAL;
        break;
    }
    dialable += subscriberDigits;
    shown << subscriber.toString().simplified();

    out.dialable = dialable + tail;
    out.displayable = shown.join(QLatin1Char(' '));
    out.destCountry = country;
    out.translateResults |= LINETRANSLATERESULT_CANONICAL;
    return out;
}

bool DialingLocations::isValidName(const QString& name)
{
    // Control characters would break the file's line structure and the list display.
    return !name.trimmed().isEmpty() && name.size() <= maxNameLength && !IniValue::hasControlCharacter(name);
}

bool DialingLocations::isValidCountryCode(DWORD code)
{
    return code >= 1 && code <= maxCountryCode;
}

bool DialingLocations::isValidAreaCode(const QString& code)
{
    return isValidCode(code, maxAreaCodeLength, false);
}

bool DialingLocations::isValidPrefix(const QString& prefix)
{
    return isValidCode(prefix, maxPrefixLength, false);
}

bool DialingLocations::isValidAccessCode(const QString& code)
{
    return isValidCode(code, maxAccessCodeLength, true);
}

QString DialingLocations::checkLocation(const DialingLocation& location)
{
    if (location.id < 1 || location.id > maxLocationId)
        return QStringLiteral("The location id must be between 1 and %1.").arg(maxLocationId);
    if (!isValidName(location.name))
        return QStringLiteral("The name must be 1 to %1 characters long.").arg(maxNameLength);
    if (!isValidCountryCode(location.countryCode))
        return QStringLiteral("The country code must be a number from 1 to %1.").arg(maxCountryCode);
    if (!isValidAreaCode(location.areaCode))
        return QStringLiteral("The area code may only hold up to %1 digits.").arg(maxAreaCodeLength);
    if (!isValidPrefix(location.longDistancePrefix))
        return QStringLiteral("The long distance prefix may only hold up to %1 digits.").arg(maxPrefixLength);
    if (!isValidPrefix(location.internationalPrefix))
        return QStringLiteral("The international prefix may only hold up to %1 digits.").arg(maxPrefixLength);
    const QString codeRule = QStringLiteral("may only hold up to %1 digits, '*', '#' and ','.").arg(maxAccessCodeLength);
    if (!isValidAccessCode(location.localAccessCode))
        return QStringLiteral("The access code for local calls ") + codeRule;
    if (!isValidAccessCode(location.longDistanceAccessCode))
        return QStringLiteral("The access code for long distance calls ") + codeRule;
    if (!isValidAccessCode(location.cancelCallWaiting))
        return QStringLiteral("The code to disable call waiting ") + codeRule;
    return {};
}

QString DialingLocations::checkLocations(const QList<DialingLocation>& locations)
{
    if (locations.isEmpty())
        return QStringLiteral("At least one location is needed.");
    if (locations.size() > maxLocations)
        return QStringLiteral("At most %1 locations can be kept.").arg(maxLocations);
    QSet<DWORD> ids;
    for (const DialingLocation& location : locations) {
        const QString problem = checkLocation(location);
        if (!problem.isEmpty())
            return QStringLiteral("Location \"%1\": %2").arg(location.name.left(maxNameLength), problem);
        if (ids.contains(location.id))
            return QStringLiteral("Two locations share the id %1.").arg(location.id);
        ids.insert(location.id);
    }
    return {};
}

DialingLocation DialingLocations::defaultLocation()
{
    DialingLocation location;
    location.id = 1;
    location.name = QStringLiteral("Default location");
    location.countryCode = 1;
    location.longDistancePrefix = QStringLiteral("1");
    location.internationalPrefix = QStringLiteral("011");
    return location;
}

} // namespace Telephony
