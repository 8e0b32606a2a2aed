#include "SipInputGuard.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <atomic>
#include <cstring>

namespace Telephony::Sip {

namespace {

std::atomic<int> g_rewritten{0};
std::atomic<int> g_dropped{0};
std::atomic<int> g_refused{0};
std::atomic<bool> g_large{false};

QByteArray headerName(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    return colon > 0 ? line.first(colon).trimmed().toByteArray().toLower() : QByteArray();
}

QByteArray headerValue(QByteArrayView line)
{
    return line.sliced(line.indexOf(':') + 1).trimmed().toByteArray();
}

// The message's header lines, continuations joined to their header, and where its body
// starts (-1 when the header block never ends).
struct HeaderBlock {
    QByteArray startLine;
    QList<QByteArray> headers;
    qsizetype bodyStart = -1;
};

HeaderBlock headerBlock(QByteArrayView message)
{
    HeaderBlock block;
    qsizetype pos = 0;
    bool first = true;
    while (pos < message.size()) {
        qsizetype end = message.indexOf('\n', pos);
        end = end < 0 ? message.size() : end + 1;
        QByteArrayView line = message.sliced(pos, end - pos);
        while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
            line.chop(1);
        pos = end;
        if (first) {
            block.startLine = line.toByteArray();
            first = false;
        } else if (line.isEmpty()) {
            block.bodyStart = pos;
            break;
        } else if ((line.front() == ' ' || line.front() == '\t') && !block.headers.isEmpty()) {
            block.headers.last() += ' ' + line.trimmed().toByteArray();
        } else {
            block.headers << line.toByteArray();
        }
    }
    return block;
}

// A coding other than none, in a Transfer-Encoding or Content-Encoding value.
bool encoded(const QByteArray& value)
{
    return !value.isEmpty() && value.trimmed().toLower() != "identity";
}

// The response code refusing a message whose body cannot be read safely, or 0.
int refusalCode(QByteArrayView message)
{
    const HeaderBlock block = headerBlock(message);
    int lengths = 0;
    qsizetype length = -1;
    QByteArray transferEncoding, contentType, contentEncoding;
    for (const QByteArray& header : block.headers) {
        const QByteArray name = headerName(header);
        if (name == "content-length" || name == "l") {
            const QByteArray value = headerValue(header);
            bool digits = !value.isEmpty() && value.size() <= 9;
            for (char ch : value)
                digits = digits && ch >= '0' && ch <= '9';
            if (!digits || (lengths > 0 && value.toLongLong() != length))
                return 400;
            length = value.toLongLong();
            ++lengths;
        } else if (name == "transfer-encoding") {
            transferEncoding += headerValue(header);
        } else if (name == "content-type" || name == "c") {
            contentType = headerValue(header);
        } else if (name == "content-encoding" || name == "e") {
            contentEncoding += headerValue(header);
        }
    }
    if (encoded(transferEncoding))
        return 400;
    const qsizetype available = block.bodyStart < 0 ? 0 : message.size() - block.bodyStart;
    if (length > available)
        return 400;
    QByteArrayView body = block.bodyStart < 0 ? QByteArrayView() : message.sliced(block.bodyStart);
    if (length >= 0)
        body = body.first(length);
    bool empty = true;
    for (char ch : body)
        empty = empty && (ch == '\r' || ch == '\n');
    if (empty)
        return 0;
    if (contentType.isEmpty())
        return 400;
    if (!block.startLine.startsWith("INVITE "))
        return 0;
    // An offer is SDP, plain, or it is nothing the stack can answer.
    if (encoded(contentEncoding) || contentType.split(';').first().trimmed().toLower() != "application/sdp")
        return 415;
    if (!body.startsWith("v=") || !body.contains("\nm="))
        return 488;
    return 0;
}

bool isAddressHeader(QByteArrayView name)
{
    static const char* const names[] = {"from", "f", "to", "t", "contact", "m", "p-asserted-identity",
                                        "p-preferred-identity", "refer-to", "r", "referred-by", "b",
                                        "reply-to", "diversion", "remote-party-id"};
    const QByteArray lower = name.trimmed().toByteArray().toLower();
    for (const char* n : names)
        if (lower == n)
            return true;
    return false;
}

// A request line starts with a method in capitals, a response with the version.
bool looksLikeSip(const char* data, size_t size)
{
    if (size >= 8 && std::memcmp(data, "SIP/2.0 ", 8) == 0)
        return true;
    size_t i = 0;
    while (i < size && i < 32 && data[i] >= 'A' && data[i] <= 'Z')
        ++i;
    return i > 0 && i < size && data[i] == ' ';
}

// Cuts n bytes of a name without splitting a UTF-8 sequence or leaving a lone escape.
QByteArray keptName(QByteArrayView name)
{
    qsizetype n = qMin<qsizetype>(name.size(), SipInputGuard::kKeptName);
    while (n > 0 && n < name.size() && (uchar(name[n]) & 0xC0) == 0x80)
        --n;
    qsizetype slashes = 0;
    while (slashes < n && name[n - 1 - slashes] == '\\')
        ++slashes;
    if (slashes % 2)
        --n;
    return name.first(n).toByteArray();
}

// The header line with its display name shortened; unchanged when it has none.
QByteArray shortened(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    qsizetype start = colon + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    const QByteArrayView head = line.first(start);
    const QByteArrayView value = line.sliced(start);
    if (value.startsWith('"')) {
        qsizetype i = 1;
        while (i < value.size() && value[i] != '"')
            i += value[i] == '\\' ? 2 : 1;
        if (i >= value.size())
            return line.toByteArray();
        return head.toByteArray() + '"' + keptName(value.sliced(1, i - 1)) + value.sliced(i).toByteArray();
    }
    const qsizetype angle = value.indexOf('<');
    if (angle <= 0)
        return line.toByteArray();
    return head.toByteArray() + keptName(value.first(angle)).trimmed() + ' ' + value.sliced(angle).toByteArray();
}

} // namespace

SipInputGuard::Verdict SipInputGuard::check(const char* data, size_t size, QByteArray* out)
{
    if (!data || !looksLikeSip(data, size))
        return Verdict::Pass;
    if (size >= size_t(kLargeMessage))
        g_large.store(true, std::memory_order_relaxed);
    const QByteArrayView message(data, qsizetype(size));
    if (const int code = refusalCode(message)) {
        *out = refusal(message, code);
        if (out->isEmpty()) {
            ++g_dropped;
            return Verdict::Drop;
        }
        ++g_refused;
        return Verdict::Refuse;
    }
    QByteArray result;
    bool changed = false;
    bool previousIsAddress = false;
    qsizetype pos = 0;
    bool first = true;
    while (pos < message.size()) {
        qsizetype end = message.indexOf('\n', pos);
        end = end < 0 ? message.size() : end + 1;
        const QByteArrayView line = message.sliced(pos, end - pos);
        QByteArrayView bare = line;
        while (!bare.isEmpty() && (bare.back() == '\n' || bare.back() == '\r'))
            bare.chop(1);
        if (bare.isEmpty() && !first) {
            // The body follows: it is not the stack's header parser's business.
            if (!changed)
                return Verdict::Pass;
            result += message.sliced(pos);
            break;
        }
        QByteArray kept = line.toByteArray();
        if (!first) {
            const bool continuation = bare.startsWith(' ') || bare.startsWith('\t');
            const bool address = continuation ? previousIsAddress
                                              : (bare.indexOf(':') > 0 && isAddressHeader(bare.first(bare.indexOf(':'))));
            if (address && bare.size() > kMaxAddressLine) {
                const QByteArray shorter = continuation ? QByteArray() : shortened(bare);
                if (shorter.isEmpty() || shorter.size() > kMaxAddressLine) {
                    ++g_dropped;
                    return Verdict::Drop;
                }
                kept = shorter + line.sliced(bare.size()).toByteArray();
                changed = true;
            }
            previousIsAddress = address;
        }
        first = false;
        result += kept;
        pos = end;
    }
    if (!changed)
        return Verdict::Pass;
    ++g_rewritten;
    *out = result;
    return Verdict::Rewritten;
}

QByteArray SipInputGuard::refusal(QByteArrayView message, int code)
{
    const HeaderBlock block = headerBlock(message);
    const QByteArray& start = block.startLine;
    if (!looksLikeSip(start.constData(), size_t(start.size())) || start.startsWith("SIP/") ||
        start.startsWith("ACK ") || !start.endsWith(" SIP/2.0"))
        return {};
    QByteArray vias, from, to, callId, cseq;
    for (const QByteArray& header : block.headers) {
        const QByteArray name = headerName(header);
        const QByteArray value = headerValue(header);
        if (name == "via" || name == "v")
            vias += "Via: " + value + "\r\n";
        else if (name == "from" || name == "f")
            from = value;
        else if (name == "to" || name == "t")
            to = value;
        else if (name == "call-id" || name == "i")
            callId = value;
        else if (name == "cseq")
            cseq = value;
    }
    if (vias.isEmpty() || from.isEmpty() || to.isEmpty() || callId.isEmpty() || cseq.isEmpty())
        return {};
    // A final response carries a To tag; one from the Call-ID stays the same for a resent request.
    if (!to.toLower().contains(";tag="))
        to += ";tag=g" + QByteArray::number(qHash(callId), 16);
    QByteArray response = "SIP/2.0 " + QByteArray::number(code) + ' ';
    switch (code) {
    case 415:
        response += "Unsupported Media Type";
        break;
    case 488:
        response += "Not Acceptable Here";
        break;
    default:
        response += "Bad Request";
        break;
    }
    response += "\r\n" + vias + "From: " + from + "\r\nTo: " + to + "\r\nCall-ID: " + callId + "\r\nCSeq: " + cseq + "\r\n";
    if (code == 415)
        response += "Accept: application/sdp\r\nAccept-Encoding: identity\r\n";
    return response + "Content-Length: 0\r\n\r\n";
}

int SipInputGuard::rewrittenCount() { return g_rewritten.load(); }

int SipInputGuard::droppedCount() { return g_dropped.load(); }

int SipInputGuard::refusedCount() { return g_refused.load(); }

bool SipInputGuard::takeLargeMessage() { return g_large.exchange(false, std::memory_order_relaxed); }

} // namespace Telephony::Sip
