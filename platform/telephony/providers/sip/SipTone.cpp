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
        t.frequencies = {1000};
        break;
    case LINETONEMODE_BILLING:
        t.frequencies = {1400};
        break;
    case LINETONEMODE_BUSY:
        t.frequencies = {480, 620};
        t.onMs = t.offMs = 500;
        break;
    case LINETONEMODE_RINGBACK:
        t.frequencies = {440, 480};
        t.onMs = 2000;
        t.offMs = 4000;
        break;
    case LINETONEMODE_CUSTOM:
        if (custom.isEmpty() || custom.size() > 3)
            return false;
        for (const LINEGENERATETONE& c : custom) {
            if (c.dwFrequency == 0 || c.dwFrequency > 4000)
                return false;
            t.frequencies << c.dwFrequency;
        }
        // One cadence for the mix: the first tone's.
        t.onMs = int(qMin<DWORD>(custom.first().dwCadenceOn, 60000));
        t.offMs = t.onMs ? int(qMin<DWORD>(custom.first().dwCadenceOff, 60000)) : 0;
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
    // Each frequency at the same level, the sum well inside the sample range.
    const double amplitude = frequencies.isEmpty() ? 0.0 : 9000.0 / frequencies.size();
    const int period = onMs > 0 ? (onMs + offMs) * kRate / 1000 : 0;
    const int on = onMs * kRate / 1000;
    for (int i = 0; i < samples; ++i) {
        double v = 0;
        if (period == 0 || i % period < on)
            for (const DWORD f : frequencies)
                v += amplitude * std::sin(2.0 * M_PI * double(f) * i / kRate);
        u16(quint16(qint16(std::lround(v))));
    }
    return out;
}

} // namespace Telephony::Sip
