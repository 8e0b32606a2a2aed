#include "SipAddress.h"

#include "../../TapiConstants.h"
#include "../../VisibleText.h"

#include <QRegularExpression>

namespace Telephony::Sip {

namespace {

bool isUserChar(QChar c)
{
    // RFC 3261 user: unreserved, escaped and user-unreserved characters.
    static const QString extra = QStringLiteral("-_.!~*'()&=+$,;?/%#");
    return (c.unicode() < 0x80 && c.isLetterOrNumber()) || extra.contains(c);
}

bool isHostChar(QChar c)
{
    return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char(':');
}

bool allOf(const QString& text, bool (*pred)(QChar))
{
    for (const QChar c : text)
        if (!pred(c))
            return false;
    return true;
}

QString numberWithoutFormatting(const QString& text)
{
    QString out;
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('(') && c != QLatin1Char(')') &&
            c != QLatin1Char('.'))
            out.append(c);
    return out;
}

bool looksLikeNumber(const QString& text)
{
    for (const QChar c : text)
        if (!c.isDigit() && !QStringLiteral(" -().+*#").contains(c))
            return false;
    return !text.isEmpty();
}

} // namespace

SipUri SipUri::parse(const QString& input)
{
    SipUri uri;
    QString text = input.trimmed();
    if (text.size() > kMaxAddressLength * 2)
        return uri;
    const qsizetype open = text.indexOf(QLatin1Char('<'));
    if (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            return uri;
        QString name = text.left(open).trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
        uri.displayName = name;
        text = text.mid(open + 1, close - open - 1).trimmed();
    }
    if (text.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive)) {
        uri.scheme = QStringLiteral("sip");
        text = text.mid(4);
    } else if (text.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive)) {
        uri.scheme = QStringLiteral("sips");
        text = text.mid(5);
    } else {
        uri.scheme = QStringLiteral("sip");
    }
    // URI parameters and headers play no part in who the address names.
    const qsizetype params = text.indexOf(QRegularExpression(QStringLiteral("[;?>]")), text.indexOf(QLatin1Char('@')) + 1);
    if (params >= 0)
        text.truncate(params);
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    QString hostPort = at >= 0 ? text.mid(at + 1) : text;
    if (at >= 0) {
        uri.user = text.left(at);
        if (uri.user.isEmpty() || !allOf(uri.user, isUserChar))
            return uri;
    }
    if (hostPort.isEmpty() || !allOf(hostPort, isHostChar))
        return uri;
    const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && !hostPort.endsWith(QLatin1Char(']')) && hostPort.count(QLatin1Char(':')) == 1) {
        bool ok = false;
        const int port = hostPort.mid(colon + 1).toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            return uri;
        uri.port = port;
        hostPort.truncate(colon);
    }
    uri.host = hostPort;
    uri.valid = !uri.host.isEmpty();
    return uri;
}

LONG checkDialable(const QByteArray& address)
{
    const QString text = QString::fromUtf8(address).trimmed();
    if (text.isEmpty() || address.size() > kMaxAddressLength)
        return LONG(LINEERR_INVALADDRESS);
    for (const QChar c : text)
        if (VisibleText::isControl(c.unicode()) || c == QLatin1Char('<') || c == QLatin1Char('>') ||
            c == QLatin1Char('"'))
            return LONG(LINEERR_INVALADDRESS);
    if (looksLikeNumber(text))
        return numberWithoutFormatting(text).isEmpty() ? LONG(LINEERR_INVALADDRESS) : LONG(0);
    if (text.contains(QLatin1Char(' ')))
        return LONG(LINEERR_INVALADDRESS);
    const bool hasScheme = text.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
                           text.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive);
    if (!hasScheme && !text.contains(QLatin1Char('@')))
        return allOf(text, isUserChar) ? LONG(0) : LONG(LINEERR_INVALADDRESS);
    return SipUri::parse(text).valid ? LONG(0) : LONG(LINEERR_INVALADDRESS);
}

QString dialTarget(const QByteArray& address, const QString& domain)
{
    const QString text = QString::fromUtf8(address).trimmed();
    if (text.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive))
        return text;
    if (text.contains(QLatin1Char('@')))
        return QStringLiteral("sip:") + text;
    const QString user = looksLikeNumber(text) ? numberWithoutFormatting(text) : text;
    return QStringLiteral("sip:%1@%2").arg(user, domain);
}

QByteArray boundedVisible(const QString& text)
{
    return VisibleText::escaped(QStringView(text).left(kMaxPartyText)).left(kMaxPartyText).toUtf8();
}

PartyId partyOf(const QString& displayName, const QString& user, const QString& host)
{
    PartyId id;
    id.name = boundedVisible(displayName.trimmed());
    const QString number = host.isEmpty() ? user : (user.isEmpty() ? host : user + QLatin1Char('@') + host);
    id.number = boundedVisible(number);
    if (!id.name.isEmpty())
        id.flags |= LINECALLPARTYID_NAME;
    if (!id.number.isEmpty())
        id.flags |= LINECALLPARTYID_ADDRESS;
    if (id.flags == 0)
        id.flags = LINECALLPARTYID_UNKNOWN;
    return id;
}

} // namespace Telephony::Sip

namespace Telephony::Sip {

QString headerTag(const QString& header)
{
    // The tag sits among the header's parameters, after the address.
    const qsizetype close = header.lastIndexOf(QLatin1Char('>'));
    const QStringView params = QStringView(header).mid(close < 0 ? 0 : close);
    for (const QStringView param : params.split(QLatin1Char(';'))) {
        const QStringView p = param.trimmed();
        if (!p.startsWith(QLatin1String("tag="), Qt::CaseInsensitive))
            continue;
        const QStringView tag = p.mid(4);
        // RFC 3261 token characters only, and of a sane length.
        static const QString extra = QStringLiteral("-.!%*_+`'~");
        if (tag.isEmpty() || tag.size() > 128)
            return {};
        for (const QChar c : tag)
            if (!((c.unicode() < 0x80 && c.isLetterOrNumber()) || extra.contains(c)))
                return {};
        return tag.toString();
    }
    return {};
}

} // namespace Telephony::Sip
