#include "SipTone.h"

#include "../../TapiConstants.h"

#include <QtEndian>

#include <cmath>

namespace Telephony::Sip {

bool SipTone::forMode(DWORD toneMode, const QList<LINEGENERATETONE>& custom, SipTone* tone)
{
    SipTone t;
    switch (toneMode) {
    case LINETONEMODE_BEEP:
        t.parts = {{1000}};
        break;
    case LINETONEMODE_BILLING:
        t.parts = {{1400}};
        break;
    case LINETONEMODE_BUSY:
        t.parts = {{480, 500, 500}, {620, 500, 500}};
        break;
    case LINETONEMODE_RINGBACK:
        t.parts = {{440, 2000, 4000}, {480, 2000, 4000}};
        break;
    case LINETONEMODE_CUSTOM:
        if (custom.isEmpty() || custom.size() > 3)
            return false;
        for (const LINEGENERATETONE& c : custom) {
            if (c.dwFrequency == 0 || c.dwFrequency > 4000)
                return false;
            Part part;
            part.frequency = c.dwFrequency;
            part.onMs = int(qMin<DWORD>(c.dwCadenceOn, 60000));
            part.offMs = part.onMs ? int(qMin<DWORD>(c.dwCadenceOff, 60000)) : 0;
            // 0xFFFF is full volume, 0 silence.
            part.volume = double(qMin<DWORD>(c.dwVolume, 0xFFFF)) / 0xFFFF;
            t.parts << part;
        }
        break;
    default:
        return false;
    }
    *tone = t;
    return true;
}

int SipTone::defaultMs(DWORD toneMode)
{
    switch (toneMode) {
    case LINETONEMODE_BUSY:
        return 4000;
    case LINETONEMODE_RINGBACK:
        return 6000;
    case LINETONEMODE_CUSTOM:
        return 1000;
    default:
        return 500;
    }
}

QByteArray SipTone::wav(int ms) const
{
    const int samples = int(qint64(qBound(0, ms, kMaxFileMs)) * kRate / 1000);
    const quint32 dataBytes = quint32(samples) * 2;
    QByteArray out(44 + int(dataBytes), Qt::Uninitialized);
    char* p = out.data();
    const auto u32 = [&p](quint32 v) { qToLittleEndian(v, p); p += 4; };
    const auto u16 = [&p](quint16 v) { qToLittleEndian(v, p); p += 2; };
    const auto tag = [&p](const char* t) { memcpy(p, t, 4); p += 4; };
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    tag("data");
    u32(dataBytes);
    // Each frequency at full volume gets the same share, the sum well inside the sample
    // range.
    const double full = parts.isEmpty() ? 0.0 : 9000.0 / parts.size();
    struct Wave {
        double amplitude;
        double step;
        int period; // samples; 0 without cadence
        int on;
    };
    QList<Wave> waves;
    for (const Part& part : parts)
        waves << Wave{full * qBound(0.0, part.volume, 1.0), 2.0 * M_PI * double(part.frequency) / kRate,
                      part.onMs > 0 ? (part.onMs + part.offMs) * kRate / 1000 : 0, part.onMs * kRate / 1000};
    for (int i = 0; i < samples; ++i) {
        double v = 0;
        for (const Wave& w : waves)
            if (w.period == 0 || i % w.period < w.on)
                v += w.amplitude * std::sin(w.step * i);
        u16(quint16(qint16(std::lround(v))));
    }
    return out;
}

} // namespace Telephony::Sip
