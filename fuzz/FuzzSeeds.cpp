// Writes each fuzz program's starting corpus: well-formed inputs built with the real
// structures and stored settings, so the search starts from what the readers accept.
// Usage: FuzzSeeds <folder>; each program's seeds go into <folder>/<program>/.

#include <TnvDialerDescription.h>
#include <TnvWaveControl.h>

#include <TapiConstants.h>
#include <TapiStructs.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

QString g_root;

bool write(const char* program, const QByteArray& seed)
{
    const QString folder = g_root + QLatin1Char('/') + QLatin1String(program);
    if (!QDir().mkpath(folder))
        return false;
    static int written = 0;
    const QString name = folder + QStringLiteral("/seed-%1").arg(++written, 3, 10, QLatin1Char('0'));
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(seed) == seed.size();
}

template<typename T>
QByteArray bytesOf(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// A structure followed by texts, with each text's size and offset filled in.
template<typename T>
class Block {
public:
    T fields{};
    void text(DWORD T::*size, DWORD T::*offset, const QByteArray& value)
    {
        fields.*offset = DWORD(sizeof(T) + m_tail.size());
        fields.*size = DWORD(value.size() + 1);
        m_tail += value + '\0';
    }
    // The whole block, its first field (dwTotalSize) set to its size.
    QByteArray bytes()
    {
        const DWORD total = DWORD(sizeof(T) + m_tail.size());
        std::memcpy(&fields, &total, sizeof total);
        return bytesOf(fields) + m_tail;
    }

private:
    QByteArray m_tail;
};

bool callerStructures()
{
    const char* program = "FuzzCallerStructures";
    Block<LINECALLPARAMS> params;
    params.fields.dwBearerMode = LINEBEARERMODE_VOICE;
    params.fields.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    params.fields.dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    params.text(&LINECALLPARAMS::dwOrigAddressSize, &LINECALLPARAMS::dwOrigAddressOffset, "201");
    params.text(&LINECALLPARAMS::dwDisplayableAddressSize, &LINECALLPARAMS::dwDisplayableAddressOffset, "555-0100");
    params.text(&LINECALLPARAMS::dwCalledPartySize, &LINECALLPARAMS::dwCalledPartyOffset, "SMITH JOHN");
    params.text(&LINECALLPARAMS::dwCommentSize, &LINECALLPARAMS::dwCommentOffset, "a comment");
    params.text(&LINECALLPARAMS::dwUserUserInfoSize, &LINECALLPARAMS::dwUserUserInfoOffset, "uui");

    // Two forwarding entries; their texts follow the entries.
    constexpr DWORD entries = 2;
    const DWORD fixedEnd = DWORD(offsetof(LINEFORWARDLIST, ForwardList) + entries * sizeof(LINEFORWARD));
    QByteArray list(int(fixedEnd), '\0');
    QByteArray texts;
    const auto put = [&list](size_t at, DWORD value) { std::memcpy(list.data() + at, &value, sizeof value); };
    const DWORD modes[entries] = {LINEFORWARDMODE_UNCOND, LINEFORWARDMODE_BUSY};
    for (DWORD i = 0; i < entries; ++i) {
        const size_t base = offsetof(LINEFORWARDLIST, ForwardList) + i * sizeof(LINEFORWARD);
        put(base + offsetof(LINEFORWARD, dwForwardMode), modes[i]);
        put(base + offsetof(LINEFORWARD, dwDestCountryCode), 1);
        put(base + offsetof(LINEFORWARD, dwCallerAddressOffset), fixedEnd + DWORD(texts.size()));
        put(base + offsetof(LINEFORWARD, dwCallerAddressSize), 8);
        texts += QByteArray("5550100") + '\0';
        put(base + offsetof(LINEFORWARD, dwDestAddressOffset), fixedEnd + DWORD(texts.size()));
        put(base + offsetof(LINEFORWARD, dwDestAddressSize), 11);
        texts += QByteArray("4255550199") + '\0';
    }
    list += texts;
    put(offsetof(LINEFORWARDLIST, dwTotalSize), DWORD(list.size()));
    put(offsetof(LINEFORWARDLIST, dwNumEntries), entries);

    LINEINITIALIZEEXPARAMS init{};
    init.dwTotalSize = sizeof init;
    init.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;

    return write(program, '\0' + params.bytes()) && write(program, '\1' + list) && write(program, '\2' + bytesOf(init))
        && write(program, QByteArray("\3\20\0\0\0" "5550100", 12));
}

bool configFile()
{
    const char* program = "FuzzConfigFile";
    return write(program,
                 "# Telephony service configuration\n[service]\nversion = 1\ncurrentLocation = 2\n\n"
                 "[provider simulated]\npacing = 1.0\nrings = 4\nenabled = true\nhost = \"pbx.example\"\n\n"
                 "[location 1]\nname = Home\ncountryCode = 1\nareaCode = 425\nlocalAccessCode = 9,\n"
                 "longDistancePrefix = 1\ninternationalPrefix = 011\ncancelCallWaiting = *70,\npulseDialing = false\n\n"
                 "[location 2]\nname = \"London \\\"office\\\"\"\ncountryCode = 44\nareaCode = 020\n")
        && write(program, "[provider sip]\n[provider simulated]\npacing = 2e-3\nlines = -12\n")
        && write(program, "\xef\xbb\xbf; comment\n[location 7]\ncountryCode=49\nname=Caf\xc3\xa9\n")
        && write(program, "[location 2]\nname = \"open\ncountryCode = 1000\n[dialer]\na=1\n");
}

bool controlRequest()
{
    const char* program = "FuzzControlRequest";
    return write(program, QByteArray(1, '\0') + "{\"command\":\"ring\",\"args\":{\"line\":1,\"name\":\"SMITH JOHN\"}}\r\n")
        && write(program, QByteArray(1, '\0') + "{\"command\":\"help\"}")
        && write(program, "\1{\"ok\":true,\"call\":65539,\"lines\":[1,\"two\",true],\"text\":\"a\\nb\\u001b\"}")
        && write(program, "\1{\"ok\":false,\"error\":\"refused\",\"nested\":{\"a\":[{\"b\":1}]}}")
        && write(program, QByteArray("\2ring\0--line\0" "1\0--name\0SMITH JOHN\0--timeout=300", 43))
        && write(program, QByteArray("\2--server\0/tmp/x\0fail\0--json\0{\"function\":\"lineDrop\"}", 50));
}

// SIP messages as peers send them, a well-formed call among them and the hostile kinds
// the guards refuse.
QList<QByteArray> sipMessages()
{
    const QByteArray sdp = "v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
                           "m=audio 4000 RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";
    const QByteArray head = "INVITE sip:alice@127.0.0.1 SIP/2.0\r\n"
                            "Via: SIP/2.0/UDP 127.0.0.1:5070;branch=z9hG4bK-1\r\n"
                            "From: \"Bob\" <sip:bob@127.0.0.1>;tag=1\r\nTo: <sip:alice@127.0.0.1>\r\n"
                            "Call-ID: 1@127.0.0.1\r\nCSeq: 1 INVITE\r\nContact: <sip:bob@127.0.0.1:5070>\r\n"
                            "Max-Forwards: 70\r\n";
    return {
        head + "Content-Type: application/sdp\r\nContent-Length: " + QByteArray::number(sdp.size()) + "\r\n\r\n" + sdp,
        head + "Transfer-Encoding: chunked\r\n\r\n" + QByteArray::number(sdp.size(), 16) + "\r\n" + sdp + "\r\n0\r\n\r\n",
        head + "Content-Length: " + QByteArray::number(sdp.size()) + "\r\n\r\n" + sdp,
        "OPTIONS sip:alice@127.0.0.1 SIP/2.0\r\nVia: SIP/2.0/TCP 127.0.0.1:5070;branch=z9hG4bK-2\r\n"
        "From: <sip:probe@127.0.0.1>;tag=2\r\nTo: <sip:alice@127.0.0.1>\r\nCall-ID: 2@127.0.0.1\r\n"
        "CSeq: 1 OPTIONS\r\nContent-Length: 0\r\n\r\n",
        "SIP/2.0 180 Ringing\r\nVia: SIP/2.0/UDP 127.0.0.1:5060;branch=z9hG4bK-3\r\nFrom: <sip:a@h>;tag=3\r\n"
        "To: <sip:b@h>;tag=4\r\nCall-ID: 3@h\r\nCSeq: 1 INVITE\r\nContent-Length: 0\r\n\r\n",
    };
}

bool sipGuards()
{
    bool ok = true;
    for (const QByteArray& message : sipMessages()) {
        ok = ok && write("FuzzSipDatagram", message);
        // Stream seeds: pieces of 17 bytes, the stack asking for 64 KiB, two messages in a row.
        ok = ok && write("FuzzSipStream", QByteArray("\x01\xff", 2) + message + message);
    }
    return ok;
}

bool maskLayout()
{
    const char* program = "FuzzMaskLayout";
    const QByteArray separators = "./";
    const char* const masks[][2] = {
        {"5551234567", "000-000-0000;0;*"}, {"5551234", "(000) 000-0000;0"}, {"AB12", "LL-00;0"},
        {"1231", "00/00;0"},                {"1230", "00:00;1;_"},           {"42", "!999;0; "},
        {"abc", "\\(aaa\\);1"},            {"SMITH JOHN", ">ll<ccccc;0"},
    };
    for (const auto& mask : masks) {
        if (!write(program, separators + QByteArray(mask[0]) + '\0' + QByteArray(mask[1])))
            return false;
    }
    return true;
}

bool storedProperties()
{
    const char* program = "FuzzStoredProperties";
    QByteArray all;
    for (const auto& [path, value] : TnvDialerDescription::settings()) {
        QByteArray line = path.toUtf8() + '=';
        switch (value.typeId()) {
        case QMetaType::Bool: line += value.toBool() ? "?true" : "?false"; break;
        case QMetaType::Int: line += '#' + QByteArray::number(value.toInt()); break;
        case QMetaType::Double: line += '%' + QByteArray::number(value.toDouble()); break;
        default: line += value.toString().toUtf8(); break;
        }
        all += line + '\n';
    }
    return write(program, all) && write(program, "Vantage.Log.Count=#7\nCall.CallerID.MaskNumber=(000) 000;0\nCall.Handle\n")
        && write(program, "Vantage.DevEnv=deCppBuilder\nTAPI.ReplyTimeout=%1.5\nDevice.ID=#3\n");
}

bool tapiBuffer()
{
    const char* program = "FuzzTapiBuffer";
    Block<LINECALLINFO> info;
    info.fields.dwCallerIDFlags = LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS;
    info.text(&LINECALLINFO::dwCallerIDSize, &LINECALLINFO::dwCallerIDOffset, "4255550100");
    info.text(&LINECALLINFO::dwCallerIDNameSize, &LINECALLINFO::dwCallerIDNameOffset, "SMITH JOHN");
    info.fields.dwCalledIDFlags = LINECALLPARTYID_ADDRESS;
    info.text(&LINECALLINFO::dwCalledIDSize, &LINECALLINFO::dwCalledIDOffset, "201");
    info.text(&LINECALLINFO::dwAppNameSize, &LINECALLINFO::dwAppNameOffset, "nvRingfast");
    QByteArray block = info.bytes();
    const DWORD used = DWORD(block.size());
    std::memcpy(block.data() + offsetof(LINECALLINFO, dwNeededSize), &used, sizeof used);
    std::memcpy(block.data() + offsetof(LINECALLINFO, dwUsedSize), &used, sizeof used);
    // Header: a part's size and offset, the "too small" answers; then the block behind its size field.
    const auto header = [](DWORD size, DWORD offset, DWORD answers) {
        return bytesOf(size) + bytesOf(offset) + bytesOf(answers);
    };
    const QByteArray content = block.mid(sizeof(DWORD));
    return write(program, header(8, DWORD(sizeof(LINECALLINFO)), 0) + content)
        && write(program, header(4, 0, 1) + content) && write(program, header(0xFFFFFFFF, 16, 5) + content);
}

// Wave images as a buffer holds them, and the files a buffer saves from them: PCM with
// odd data and every INFO item, and the other formats of the table.
bool waveSeeds()
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const struct {
        TWaveFormatID id;
        int bytes;
    } sounds[] = {{wfPCM08000M16, 64}, {wfPCM08000M08, 33}, {wfuLaw08000M08, 16}, {wfIMAADPCM08000M04, 16}};
    bool ok = true;
    for (const auto& sound : sounds) {
        QByteArray image(int(TnvWaveImage::HeaderSize) + sound.bytes, '\0');
        auto* bytes = reinterpret_cast<uchar*>(image.data());
        TnvWaveImage::writeHeader(bytes, TnvWaveFormat::Row(sound.id), quint32(sound.bytes));
        for (int i = 0; i < sound.bytes; ++i)
            bytes[TnvWaveImage::HeaderSize + i] = uchar(i * 37);
        ok = ok && write("FuzzWaveImage", image);

        const QString plain = scratch.filePath(QStringLiteral("plain.wav"));
        QFile file(plain);
        ok = ok && file.open(QIODevice::WriteOnly) && file.write(image) == image.size();
        file.close();
        TnvWaveControl control(ckPlay);
        TnvWaveBuffer* buffer = control.Source()->Buffer();
        ok = ok && buffer->LoadFromFile(plain);
        buffer->setAuthor(QStringLiteral("Zoë Müller"));
        buffer->setName(QStringLiteral("名前"));
        buffer->setComments(QStringLiteral("odd"));
        buffer->setCategory(QStringLiteral("ab"));
        buffer->setCopyright(QStringLiteral("c"));
        buffer->setKeywords(QStringLiteral("k"));
        buffer->setSubject(QStringLiteral("s"));
        buffer->setCreationDate(QDateTime(QDate(2001, 9, 8), QTime(0, 0)));
        const QString saved = scratch.filePath(QStringLiteral("saved.wav"));
        ok = ok && buffer->SaveToFile(saved);
        QFile in(saved);
        QByteArray savedBytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        ok = ok && write("FuzzWaveFile", savedBytes);
        // The same with INFO items that have no field, which a save keeps as they are.
        QByteArray tagged = savedBytes;
        const qsizetype list = tagged.lastIndexOf("INFO") - 8;
        const QByteArray items = QByteArray("ISFT\x05\0\0\0tool\0\0", 14) + QByteArray("IENG\x02\0\0\0\xff\x01", 10);
        ok = ok && list > 0;
        if (list > 0) {
            tagged += items;
            const auto grow = [&tagged, &items](qsizetype at) {
                DWORD size = 0;
                std::memcpy(&size, tagged.constData() + at, 4);
                size += DWORD(items.size());
                tagged.replace(at, 4, reinterpret_cast<const char*>(&size), 4);
            };
            grow(4);
            grow(list + 4);
            ok = ok && write("FuzzWaveFile", tagged);
        }
        // The same with chunks a buffer keeps for a save: cue points and a label list.
        const QByteArray others = QByteArray("cue \x1c\0\0\0\1\0\0\0", 12) + QByteArray(24, '\3')
            + QByteArray("LIST\x10\0\0\0adtllabl\x03\0\0\0ab\0\0", 24);
        const DWORD riffSize = DWORD(savedBytes.size() + others.size() - 8);
        savedBytes.replace(4, 4, reinterpret_cast<const char*>(&riffSize), 4);
        ok = ok && write("FuzzWaveFile", savedBytes + others);
        buffer->FreeBuffer();
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: FuzzSeeds <folder>\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    const bool written =
        callerStructures() && configFile() && controlRequest() && maskLayout() && storedProperties() && tapiBuffer()
        && waveSeeds() && sipGuards();
    if (!written)
        std::fprintf(stderr, "FuzzSeeds: cannot write the seeds into %s\n", argv[1]);
    return written ? 0 : 1;
}
