// A SIP stream on its way to the stack: pieces split anywhere come out as whole, checked
// messages, never more at once than asked for and never left behind once the connection
// has nothing more to read; connections that cannot be framed safely read as closed.

#include <SipInputGuard.h>
#include <SipStreamGuard.h>

#include <QList>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

using namespace Telephony::Sip;

namespace {

QByteArray request(const QByteArray& from, const QByteArray& body = {}, const QByteArray& method = "INVITE")
{
    return method + " sip:alice@127.0.0.1 SIP/2.0\r\n"
                    "Via: SIP/2.0/TCP 127.0.0.1:5062;branch=z9hG4bK1\r\n"
                    "From: " + from + ";tag=1\r\n"
                    "To: <sip:alice@127.0.0.1>\r\n"
                    "Call-ID: 1@127.0.0.1\r\n"
                    "CSeq: 1 " + method + "\r\n"
                    + (body.isEmpty() ? QByteArray() : QByteArray("Content-Type: application/sdp\r\n"))
                    + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

const QByteArray kSdp = "v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
                        "m=audio 4000 RTP/AVP 0\r\n\r\n\r\nINVITE sip:x@y SIP/2.0\r\n";

// A connection whose bytes arrive in the pieces given; it has data while `ready` does.
struct Connection {
    QByteArray ready;
    bool ended = false;
    ssize_t operator()(char* into, size_t size)
    {
        if (ready.isEmpty()) {
            if (ended)
                return 0;
            errno = EAGAIN;
            return -1;
        }
        const qsizetype n = qMin<qsizetype>(qsizetype(size), ready.size());
        std::memcpy(into, ready.constData(), size_t(n));
        ready.remove(0, n);
        return ssize_t(n);
    }
};

// What the stack gets when each piece arrives and it reads, asking for `ask` bytes, for
// as long as the connection is readable (as its poll loop would), or with `more` for as
// long as reads bring something; the sizes of the reads go to *reads.
QByteArray readAll(SipStreamGuard& guard, qintptr key, const QList<QByteArray>& pieces, size_t ask,
                   QList<qsizetype>* reads = nullptr, bool more = false)
{
    Connection connection;
    QByteArray got;
    QByteArray buffer(qsizetype(ask), '\0');
    for (const QByteArray& piece : pieces) {
        connection.ready += piece;
        for (int guardLoop = 0; guardLoop < 100000; ++guardLoop) {
            if (connection.ready.isEmpty() && !more)
                break;
            bool pending = false;
            const ssize_t n = guard.read(key, 1, buffer.data(), ask, std::ref(connection), &pending);
            if (pending && !connection.ready.isEmpty())
                continue;
            if (pending || (n < 0 && errno == EAGAIN))
                break;
            if (n <= 0)
                return got;
            EXPECT_LE(size_t(n), ask);
            got += buffer.first(n);
            if (reads)
                *reads << n;
        }
    }
    return got;
}

TEST(SipStreamGuard, MessagesSplitAnywhereComeOutWholeAndChecked)
{
    const QByteArray longName(1500, 'Z');
    const QByteArray kept(SipInputGuard::kKeptName, 'Z');
    const QByteArray plain = request("<sip:bob@127.0.0.1>");
    const QByteArray withBody = request("<sip:bob@127.0.0.1>", kSdp);
    struct Case {
        const char* name;
        QList<QByteArray> messages; // as sent
        QList<QByteArray> expected; // as the stack gets them, each whole
    };
    const Case cases[] = {
        {"one message", {plain}, {plain}},
        {"body holding an empty line and a request line", {withBody}, {withBody}},
        {"two messages", {plain, withBody}, {plain, withBody}},
        {"keep-alives around", {"\r\n\r\n", plain, "\r\n\r\n", "\r\n"}, {"\r\n\r\n", plain, "\r\n\r\n", "\r\n"}},
        {"oversized From shortened", {request('"' + longName + "\" <sip:bob@h>"), plain},
         {request('"' + kept + "\" <sip:bob@h>"), plain}},
        {"huge address dropped, the next one kept", {request("<sip:" + QByteArray(1500, 'm') + "@h>", kSdp), withBody},
         {withBody}},
        {"response", {"SIP/2.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n\r\nabc"},
         {"SIP/2.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n\r\nabc"}},
        {"response with an untyped body dropped", {"SIP/2.0 200 OK\r\nContent-Length: 3\r\n\r\nabc", plain}, {plain}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray stream = c.messages.join();
        const QByteArray expected = c.expected.join();
        // Every read ends where an expected message ends: nothing is handed over half-checked.
        // Keep-alives pass as they come, a byte at a time if need be.
        std::set<qsizetype> ends{0};
        qsizetype at = 0;
        for (const QByteArray& m : c.expected) {
            const bool keepAlive = QByteArray(m).replace('\r', "").replace('\n', "").isEmpty();
            for (qsizetype i = 1; i <= m.size(); ++i)
                if (keepAlive || i == m.size())
                    ends.insert(at + i);
            at += m.size();
        }
        for (qsizetype split = 0; split <= stream.size(); ++split) {
            SCOPED_TRACE(split);
            SipStreamGuard guard;
            QList<qsizetype> reads;
            const QByteArray got = readAll(guard, 7, {stream.first(split), stream.sliced(split)}, 65535, &reads);
            ASSERT_EQ(got, expected);
            qsizetype total = 0;
            for (qsizetype n : reads)
                ASSERT_TRUE(ends.count(total += n));
        }
        // Byte by byte, as a slow peer sends it.
        SipStreamGuard guard;
        QList<QByteArray> bytes;
        for (char ch : stream)
            bytes << QByteArray(1, ch);
        EXPECT_EQ(readAll(guard, 7, bytes, 65535), expected);
    }
}

TEST(SipStreamGuard, SmallReadsGetEverythingAndNothingWaitsOnceTheConnectionIsDrained)
{
    QList<QByteArray> messages;
    for (int i = 0; i < 6; ++i)
        messages << request("<sip:bob" + QByteArray::number(i) + "@127.0.0.1>", kSdp);
    const QByteArray stream = messages.join();
    const size_t largest = size_t(messages.first().size());
    struct Case {
        const char* name;
        size_t ask;
        bool more;
    };
    // Asking for more than one message but less than two reads only part of the next each
    // time, leaving the rest readable. A stack asking for less than a message (only with part of one in
    // its buffer) gets it in pieces as it reads on.
    for (const Case& c : {Case{"plenty", 65535, false}, Case{"one and a half messages", largest * 3 / 2, false},
                          Case{"one and a quarter", largest * 5 / 4, false},
                          Case{"a third of a message", largest / 3, true}}) {
        SCOPED_TRACE(c.name);
        SipStreamGuard guard;
        QList<qsizetype> reads;
        EXPECT_EQ(readAll(guard, 3, {stream}, c.ask, &reads, c.more), stream);
        for (qsizetype n : reads)
            EXPECT_LE(size_t(n), c.ask);
    }
}

TEST(SipStreamGuard, ConnectionsThatCannotBeFramedSafelyReadAsClosed)
{
    const QByteArray plain = request("<sip:bob@127.0.0.1>");
    const QByteArray hugeHeader = "X-Pad: " + QByteArray(SipStreamGuard::kMaxHeaderBlock, 'p') + "\r\n";
    struct Case {
        const char* name;
        QByteArray stream;
    };
    const Case cases[] = {
        {"header block past the cap, unfinished", "INVITE sip:a@b SIP/2.0\r\n" + hugeHeader},
        {"header block past the cap", QByteArray(plain).replace("To:", hugeHeader + "To:")},
        {"body past the cap", QByteArray(plain).replace("Content-Length: 0", "Content-Length: 40000")},
        {"Content-Length twice", QByteArray(plain).replace("Content-Length: 0", "Content-Length: 0\r\nl: 5")},
        {"Content-Length not a number", QByteArray(plain).replace("Content-Length: 0", "Content-Length: 0x10")},
        {"Content-Length empty", QByteArray(plain).replace("Content-Length: 0", "Content-Length:")},
        {"chunked body", QByteArray(plain).replace("Content-Length: 0", "Transfer-Encoding: chunked")},
        {"no Content-Length", QByteArray(plain).replace("Content-Length: 0\r\n", "")},
        {"NUL in the headers", QByteArray(plain).replace("Call-ID: 1", QByteArray("Call-ID: \0" "1", 11))},
        {"not a message", "hello\r\n\r\n" + plain},
        {"junk before a message", "\x16\x03\x01" + plain},
        {"empty line hiding the From from the check",
         QByteArray(plain).replace("From:", "X: a\n\nFrom: \"" + QByteArray(1500, 'Z') + "\"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SipStreamGuard guard;
        const int closed = SipStreamGuard::closedCount();
        // Whatever follows on the connection never reaches the stack.
        EXPECT_EQ(readAll(guard, 5, {plain, c.stream, plain}, 65535), plain);
        EXPECT_EQ(SipStreamGuard::closedCount(), closed + 1);
        Connection more{plain};
        char buffer[64];
        bool pending = true;
        EXPECT_EQ(guard.read(5, 1, buffer, sizeof(buffer), std::ref(more), &pending), 0);
        EXPECT_FALSE(pending);
    }
}

TEST(SipStreamGuard, RequestsThatCannotBeReadAreAnswered)
{
    // A whole message with an unreadable body is refused and the connection goes on; one
    // that cannot be framed is refused and the connection ends.
    const QByteArray plain = request("<sip:bob@127.0.0.1>");
    const QByteArray untyped = QByteArray(request("<sip:bob@127.0.0.1>", "v=0\r\nm=audio 1 RTP/AVP 0\r\n"))
                                   .replace("Content-Type: application/sdp\r\n", "");
    struct Case {
        const char* name;
        QByteArray stream;
        QByteArray delivered;
        int closed;
    };
    const Case cases[] = {
        {"body without a type", untyped + plain, plain, 0},
        {"chunked", QByteArray(plain).replace("Content-Length: 0", "Transfer-Encoding: chunked") + plain, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SipStreamGuard guard;
        const int closed = SipStreamGuard::closedCount();
        Connection connection{c.stream, true};
        QByteArray replies;
        QByteArray got;
        char buffer[65535];
        for (int guardLoop = 0; guardLoop < 100; ++guardLoop) {
            bool pending = false;
            const ssize_t n = guard.read(1, 1, buffer, sizeof(buffer), std::ref(connection), &pending,
                                         [&](const QByteArray& r) { replies += r; });
            if (n <= 0 && !pending)
                break;
            if (n > 0)
                got += QByteArray(buffer, int(n));
        }
        EXPECT_EQ(got, c.delivered);
        EXPECT_TRUE(replies.startsWith("SIP/2.0 400 ")) << replies.toStdString();
        EXPECT_EQ(SipStreamGuard::closedCount(), closed + c.closed);
    }
}

TEST(SipStreamGuard, TheConnectionsOwnEndsAndErrorsPassThrough)
{
    SipStreamGuard guard;
    char buffer[4096];
    bool pending = false;
    Connection idle;
    errno = 0;
    EXPECT_EQ(guard.read(9, 1, buffer, sizeof(buffer), std::ref(idle), &pending), -1);
    EXPECT_EQ(errno, EAGAIN);
    EXPECT_FALSE(pending);
    // Half a message, then the end: the half is never handed over.
    const QByteArray plain = request("<sip:bob@127.0.0.1>");
    Connection half{plain.first(40)};
    EXPECT_EQ(guard.read(9, 1, buffer, sizeof(buffer), std::ref(half), &pending), -1);
    EXPECT_TRUE(pending);
    half.ended = true;
    EXPECT_EQ(guard.read(9, 1, buffer, sizeof(buffer), std::ref(half), &pending), 0);
    EXPECT_FALSE(pending);
}

TEST(SipStreamGuard, ANewConnectionOnAReusedDescriptorStartsClean)
{
    SipStreamGuard guard;
    const QByteArray plain = request("<sip:bob@127.0.0.1>");
    char buffer[4096];
    bool pending = false;
    const auto fromSocket = [](int fd) {
        return [fd](char* into, size_t size) { return ::recv(fd, into, size, MSG_DONTWAIT); };
    };
    int first[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, first), 0);
    const quint64 firstIdentity = SipStreamGuard::streamIdentity(first[0]);
    ASSERT_NE(firstIdentity, 0u);
    ASSERT_EQ(::write(first[1], plain.constData(), 60), 60);
    EXPECT_EQ(guard.read(first[0], firstIdentity, buffer, sizeof(buffer), fromSocket(first[0]), &pending), -1);
    EXPECT_TRUE(pending);
    ::close(first[0]);
    ::close(first[1]);

    int second[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, second), 0);
    // The new connection takes the old one's descriptor.
    if (second[0] != first[0]) {
        ASSERT_EQ(::dup2(second[0], first[0]), first[0]);
        ::close(second[0]);
        second[0] = first[0];
    }
    const quint64 secondIdentity = SipStreamGuard::streamIdentity(second[0]);
    EXPECT_NE(secondIdentity, firstIdentity);
    ASSERT_EQ(::write(second[1], plain.constData(), size_t(plain.size())), plain.size());
    const ssize_t n = guard.read(second[0], secondIdentity, buffer, sizeof(buffer), fromSocket(second[0]), &pending);
    ASSERT_EQ(n, plain.size());
    EXPECT_EQ(QByteArray(buffer, int(n)), plain);
    ::close(second[0]);
    ::close(second[1]);

    // Datagram sockets and other descriptors are not streams to guard.
    const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_EQ(SipStreamGuard::streamIdentity(udp), 0u);
    ::close(udp);
    EXPECT_EQ(SipStreamGuard::streamIdentity(-1), 0u);
}

} // namespace
