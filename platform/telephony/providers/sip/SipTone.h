// Tones a SIP line plays into a call, as 8 kHz 16-bit mono WAV files the call's player
// sends to the far end: the standard tones with their cadences, custom tones of up to
// three frequencies (each with its own cadence and volume), and silence.
#pragma once

#include "../../TapiStructs.h"

#include <QByteArray>
#include <QList>

namespace Telephony::Sip {

class SipTone {
public:
    static constexpr int kRate = 8000;
    // Longest stretch written at once; longer tones are played again from the start.
    static constexpr int kMaxFileMs = 30000;

    // The tone for a LINETONEMODE_*: frequencies and cadence. False for an unknown mode
    // or custom tones that are absent, more than three, or outside 1..4000 Hz.
    static bool forMode(DWORD toneMode, const QList<LINEGENERATETONE>& custom, SipTone* tone);
    // How long a mode plays when the caller gives no duration.
    static int defaultMs(DWORD toneMode);

    // A WAV file of ms milliseconds of this tone (silence without frequencies).
    QByteArray wav(int ms) const;
    static QByteArray silence(int ms) { return SipTone().wav(ms); }

    // One frequency of the tone, with its own cadence and level.
    struct Part {
        DWORD frequency = 0;
        int onMs = 0; // 0: no cadence, it sounds throughout
        int offMs = 0;
        double volume = 1.0; // of the part's full level, 0..1
    };
    QList<Part> parts;
};

} // namespace Telephony::Sip
