#include "SimulatedAudio.h"

#include "SimulatedSwitch.h"

#include <MmioApi.h>
#include <WaveApi.h>

#include <algorithm>
#include <cstring>

namespace Telephony::Sim {

namespace {

constexpr std::size_t kMaxLineBytes = 16000; // one second between two lines

// The samples of an 8 kHz mono PCM WAV file (8- or 16-bit).
bool readWav(const QString& fileName, std::vector<qint16>* samples, QString* error)
{
    const QByteArray name = fileName.toLocal8Bit();
    MMIOINFO info{};
    HMMIO file = mmioOpenA(name.constData(), &info, MMIO_READ | MMIO_ALLOCBUF);
    if (!file) {
        *error = QStringLiteral("cannot open '%1'").arg(fileName);
        return false;
    }
    MMCKINFO riff{}, chunk{};
    WAVEFORMATEX format{};
    bool ok = false;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == 0) {
        chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
        if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == 0 && chunk.cksize >= 16) {
            ok = mmioRead(file, reinterpret_cast<char*>(&format), 16) == 16;
            mmioAscend(file, &chunk, 0);
        }
    }
    const bool pcm = format.wFormatTag == WAVE_FORMAT_PCM && format.nChannels == 1 && format.nSamplesPerSec == 8000
        && (format.wBitsPerSample == 8 || format.wBitsPerSample == 16);
    if (!ok || !pcm) {
        mmioClose(file, 0);
        *error = QStringLiteral("'%1' is not a WAV file of 8 kHz mono PCM").arg(fileName);
        return false;
    }
    chunk = {};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != 0) {
        mmioClose(file, 0);
        *error = QStringLiteral("'%1' has no samples").arg(fileName);
        return false;
    }
    const std::size_t width = format.wBitsPerSample / 8;
    if (chunk.cksize / width > SimulatedAudio::kMaxSamples - samples->size()) {
        mmioClose(file, 0);
        *error = QStringLiteral("'%1' is longer than %2 seconds").arg(fileName).arg(SimulatedAudio::kMaxSamples / 8000);
        return false;
    }
    std::vector<char> data(chunk.cksize);
    const LONG got = data.empty() ? 0 : mmioRead(file, data.data(), LONG(data.size()));
    mmioClose(file, 0);
    if (got != LONG(data.size())) {
        *error = QStringLiteral("cannot read '%1'").arg(fileName);
        return false;
    }
    for (std::size_t i = 0; i + width <= data.size(); i += width) {
        qint16 s = 0;
        if (width == 2)
            std::memcpy(&s, data.data() + i, 2);
        else
            s = qint16((int(quint8(data[i])) - 128) << 8);
        samples->push_back(s);
    }
    return true;
}

bool writeWav(const QString& fileName, const std::vector<qint16>& samples, QString* error)
{
    const QByteArray name = fileName.toLocal8Bit();
    MMIOINFO info{};
    HMMIO file = mmioOpenA(name.constData(), &info, MMIO_CREATE | MMIO_WRITE);
    if (!file) {
        *error = QStringLiteral("cannot create '%1'").arg(fileName);
        return false;
    }
    const WAVEFORMATEX format = CallAudioBackend::lineFormat();
    MMCKINFO riff{}, chunk{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    bool ok = mmioCreateChunk(file, &riff, MMIO_CREATERIFF) == 0;
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ok = ok && mmioCreateChunk(file, &chunk, 0) == 0
        && mmioWrite(file, reinterpret_cast<const char*>(&format), 16) == 16 && mmioAscend(file, &chunk, 0) == 0;
    chunk = {};
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    const LONG bytes = LONG(samples.size() * 2);
    ok = ok && mmioCreateChunk(file, &chunk, 0) == 0
        && (bytes == 0 || mmioWrite(file, reinterpret_cast<const char*>(samples.data()), bytes) == bytes)
        && mmioAscend(file, &chunk, 0) == 0 && mmioAscend(file, &riff, 0) == 0;
    // A file that could not be written whole is not left behind.
    if (mmioClose(file, ok ? 0 : MMIO_ABANDON) != 0 || !ok) {
        *error = QStringLiteral("cannot write '%1'").arg(fileName);
        return false;
    }
    return true;
}

} // namespace

void SimulatedAudio::update(const SimulatedSwitch& sw)
{
    std::array<Route, kLines> routes{};
    for (const auto& [id, c] : sw.legs()) {
        if (c->device < 0 || c->device >= kLines || c->state != LINECALLSTATE_CONNECTED)
            continue;
        Route& r = routes[size_t(c->device)];
        if (c->far.kind == FarEnd::Party) {
            r.kind = Route::Party;
            r.leg = id;
        } else if (c->far.kind == FarEnd::Leg) {
            const SimCall* other = sw.find(c->far.leg);
            if (other && other->device >= 0 && other->device < kLines && other->device != c->device) {
                r.kind = Route::Line;
                r.line = other->device;
            }
        }
    }
    std::lock_guard lock(m_mutex);
    m_routes = routes;
}

void SimulatedAudio::forget(CallId leg)
{
    std::lock_guard lock(m_mutex);
    m_parties.erase(leg);
}

bool SimulatedAudio::say(CallId leg, const QString& fileName, QString* error, const QByteArray& then)
{
    // Read outside the lock: the device thread keeps running meanwhile.
    std::vector<qint16> words;
    if (!readWav(fileName, &words, error))
        return false;
    saySamples(leg, words, then);
    return true;
}

void SimulatedAudio::saySamples(CallId leg, const std::vector<qint16>& samples, const QByteArray& then)
{
    std::lock_guard lock(m_mutex);
    Party& p = m_parties[leg];
    p.then = then;
    p.say.erase(p.say.begin(), p.say.begin() + std::ptrdiff_t(p.said));
    p.said = 0;
    const std::size_t room = kMaxSamples - std::min(kMaxSamples, p.say.size());
    p.say.insert(p.say.end(), samples.begin(), samples.begin() + std::ptrdiff_t(std::min(room, samples.size())));
}

void SimulatedAudio::setSaidHandler(SaidHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_saidHandler = std::move(handler);
}

bool SimulatedAudio::saveHeard(CallId leg, const QString& fileName, QString* error)
{
    std::vector<qint16> samples;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_parties.find(leg);
        if (it != m_parties.end())
            samples.swap(it->second.heard);
    }
    if (writeWav(fileName, samples, error))
        return true;
    // Not saved: what was heard is kept for another try.
    std::lock_guard lock(m_mutex);
    std::vector<qint16>& heard = m_parties[leg].heard;
    samples.insert(samples.end(), heard.begin(), heard.end());
    heard.swap(samples);
    return false;
}

std::vector<qint16> SimulatedAudio::heardSamples(CallId leg) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_parties.find(leg);
    return it == m_parties.end() ? std::vector<qint16>{} : it->second.heard;
}

void SimulatedAudio::played(int line, const char* data, quint32 bytes)
{
    if (line < 0 || line >= kLines)
        return;
    std::lock_guard lock(m_mutex);
    const Route& r = m_routes[size_t(line)];
    if (r.kind == Route::Party) {
        std::vector<qint16>& heard = m_parties[r.leg].heard;
        const std::size_t n = std::min<std::size_t>(bytes / 2, kMaxSamples - std::min(kMaxSamples, heard.size()));
        const std::size_t at = heard.size();
        heard.resize(at + n);
        std::memcpy(heard.data() + at, data, n * 2);
    } else if (r.kind == Route::Line && m_recording[size_t(r.line)]) {
        std::vector<char>& fifo = m_fromLine[size_t(r.line)];
        fifo.insert(fifo.end(), data, data + bytes);
        if (fifo.size() > kMaxLineBytes)
            fifo.erase(fifo.begin(), fifo.end() - std::ptrdiff_t(kMaxLineBytes));
    }
}

quint32 SimulatedAudio::heard(int line, char* data, quint32 bytes, bool* live)
{
    *live = false;
    if (line < 0 || line >= kLines)
        return 0;
    std::lock_guard lock(m_mutex);
    const Route& r = m_routes[size_t(line)];
    if (r.kind == Route::Party) {
        const auto it = m_parties.find(r.leg);
        if (it == m_parties.end())
            return 0;
        Party& p = it->second;
        const std::size_t n = std::min<std::size_t>(bytes / 2, p.say.size() - p.said);
        if (n > 0) // nothing said leaves no words to copy from
            std::memcpy(data, p.say.data() + p.said, n * 2);
        p.said += n;
        *live = p.said < p.say.size();
        if (!*live && !p.then.isEmpty() && m_saidHandler) {
            m_saidHandler(r.leg, p.then);
            p.then.clear();
        }
        return quint32(n * 2);
    }
    if (r.kind == Route::Line) {
        std::vector<char>& fifo = m_fromLine[size_t(line)];
        const std::size_t n = std::min<std::size_t>(bytes, fifo.size());
        std::copy_n(fifo.begin(), n, data);
        fifo.erase(fifo.begin(), fifo.begin() + std::ptrdiff_t(n));
        *live = m_playing[size_t(r.line)];
        return quint32(n);
    }
    return 0;
}

void SimulatedAudio::activeChanged(int line, WaveDirection direction, bool active)
{
    if (line < 0 || line >= kLines)
        return;
    std::lock_guard lock(m_mutex);
    if (direction == WaveDirection::Out) {
        m_playing[size_t(line)] = active;
    } else {
        m_recording[size_t(line)] = active;
        m_fromLine[size_t(line)].clear();
    }
}

} // namespace Telephony::Sim
