#include "Attendant.h"

#include "AttendantLine.h"

#include <TnvLine.h>

#include <TapiConstants.h>

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

Attendant::Attendant(const AttendantOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_store(options.messages)
{
}

Attendant::~Attendant() = default;

void Attendant::log(const QString& text)
{
    if (onLog)
        onLog(text);
}

QByteArray Attendant::toneFile()
{
    // 0.4 s of 1 kHz at 8 kHz, faded in and out over 10 ms so it does not click.
    constexpr int kRate = 8000;
    constexpr int kSamples = kRate * 4 / 10;
    constexpr int kFade = kRate / 100;
    QByteArray samples;
    for (int i = 0; i < kSamples; ++i) {
        const double fade = std::min({1.0, double(i) / kFade, double(kSamples - 1 - i) / kFade});
        const double value = 12000.0 * fade * std::sin(2.0 * std::numbers::pi * 1000.0 * i / kRate);
        samples += le16(quint16(qint16(std::lround(value))));
    }
    const QByteArray format = le16(1) + le16(1) + le32(kRate) + le32(kRate * 2) + le16(2) + le16(16);
    const QByteArray body = QByteArray("WAVE") + "fmt " + le32(quint32(format.size())) + format + "data"
                            + le32(quint32(samples.size())) + samples;
    return QByteArray("RIFF") + le32(quint32(body.size())) + body;
}

QList<int> Attendant::voiceLines(QString* error)
{
    TnvLine probe;
    probe.setEnabled(true);
    if (!probe.Initialised()) {
        *error = QStringLiteral("the telephony service did not start: ") + probe.Error()->Text();
        return {};
    }
    QList<int> voice;
    for (int id = 0; id < probe.Device()->Count(); ++id) {
        probe.Device()->setID(id);
        if (probe.Device()->MediaModes()->Available() & (LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE))
            voice << id + 1;
    }
    if (voice.isEmpty())
        *error = QStringLiteral("there is no voice line");
    return voice;
}

bool Attendant::start(QString* error)
{
    if (!m_store.prepare(error))
        return false;
    AttendantLineSettings settings;
    settings.greeting = m_options.greeting;
    settings.menu = m_options.menu;
    settings.operatorNumber = m_options.operatorNumber;
    settings.maxSeconds = m_options.maxSeconds;
    if (settings.greeting.isEmpty()) {
        QFile tone(m_scratch.filePath(QStringLiteral("tone.wav")));
        const QByteArray bytes = toneFile();
        if (!m_scratch.isValid() || !tone.open(QIODevice::WriteOnly) || tone.write(bytes) != bytes.size()) {
            *error = QStringLiteral("cannot write the built-in greeting: ") + tone.errorString();
            return false;
        }
        settings.greeting = tone.fileName();
    }
    const QList<int> chosen = m_options.lines.isEmpty() ? voiceLines(error) : m_options.lines;
    if (chosen.isEmpty())
        return false;
    for (const int number : chosen) {
        auto line = std::make_unique<AttendantLine>(number, settings, m_store);
        line->onLog = [this](const QString& text) { log(text); };
        line->onCallDone = [this](const AttendantCall& call) {
            ++m_callsTaken;
            if (onCallDone)
                onCallDone(call);
            if (m_options.count > 0 && m_callsTaken >= m_options.count && m_stops == 0)
                stop();
        };
        line->onClosed = [this] { lineClosed(); };
        QString why;
        if (!line->open(&why)) {
            // Lines named on the command line must all answer; of all lines, those that can.
            if (!m_options.lines.isEmpty()) {
                *error = why;
                m_lines.clear();
                return false;
            }
            log(why);
            continue;
        }
        m_lines.push_back(std::move(line));
    }
    if (m_lines.empty()) {
        *error = QStringLiteral("no line can answer calls");
        return false;
    }
    log(QStringLiteral("messages go to %1").arg(m_store.folder()));
    return true;
}

QList<int> Attendant::lines() const
{
    QList<int> numbers;
    for (const auto& line : m_lines)
        numbers << line->number();
    return numbers;
}

void Attendant::stop()
{
    ++m_stops;
    if (m_stops == 1)
        log(QStringLiteral("taking no more calls; calls in progress end as they would"));
    for (const auto& line : m_lines) {
        if (m_stops == 1)
            line->stopTaking();
        else
            line->cutShort();
    }
    if (m_lines.empty())
        lineClosed();
}

bool Attendant::finished() const
{
    for (const auto& line : m_lines)
        if (!line->closed())
            return false;
    return true;
}

void Attendant::lineClosed()
{
    if (!finished() || m_finishReported)
        return;
    m_finishReported = true;
    if (onFinished)
        onFinished();
}
