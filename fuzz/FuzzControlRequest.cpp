// The control channel's words: request lines from clients, answer lines from the
// program, and linkora-sim's command lines. The first byte picks which; nothing may
// crash, and an answer shown on a terminal carries no control character but the line
// breaks and tabs of its layout.

#include <ControlCommandLine.h>
#include <ControlProtocol.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace Telephony;

namespace {

void checkShown(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7f && u < 0xa0))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0: {
        const ControlProtocol::Request request = ControlProtocol::parseRequest(bytes);
        if (request.isValid() && !ControlProtocol::isValidCommand(request.command))
            std::abort();
        if (request.isValid()) {
            // A valid request survives being written and read again.
            const ControlProtocol::Request again =
                ControlProtocol::parseRequest(ControlProtocol::encodeRequest(request.command, request.args));
            if (!again.isValid() || again.command != request.command || again.args != request.args)
                std::abort();
        }
        break;
    }
    case 1: {
        QString error;
        const QJsonObject response = ControlProtocol::parseResponse(bytes, &error);
        for (const QString& line : ControlCommandLine::fieldLines(response))
            checkShown(line);
        checkShown(ControlCommandLine::valueText(response.value(QLatin1String("error"))));
        break;
    }
    default: {
        QStringList words;
        for (const QByteArray& word : bytes.split('\0'))
            words.append(QString::fromUtf8(word));
        ControlCommandLine commandLine;
        if (commandLine.parse(words) && commandLine.action() == ControlCommandLine::Action::Send
            && ControlProtocol::encodeRequest(commandLine.command(), commandLine.args()).size()
                > ControlProtocol::maxRequestBytes + 1)
            std::abort();
        const QString problem = ControlProtocol::checkServerName(QString::fromUtf8(bytes));
        Q_UNUSED(problem);
        break;
    }
    }
    return 0;
}
