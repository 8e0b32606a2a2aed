// The voice between one SIP line's wave devices and its calls' media: what the line's
// wave output plays waits here until the line's sound card sends it to the far end, and
// what the card hears from the far end waits for the line's wave input. Samples are
// 8 kHz 16-bit mono on both sides.
//
// Each call of the line has a card of its own, known here by its slot (0 is the line's
// default card, which a conference's mix uses). Only the active slot's call is joined to
// the wave devices: the others send silence and what they hear is dropped, so a held
// call neither takes what is played nor mixes into what is recorded.
//
// Three threads meet here (the wave devices', the media's, the provider's); one lock
// guards it all.
#pragma once

#include <QtGlobal>

#include <cstddef>
#include <deque>
#include <map>
#include <mutex>

namespace Telephony::Sip {

class SipLineAudio {
public:
    static constexpr int kRate = 8000;
    // Each way, at most this much waits (ten seconds); the oldest goes first.
    static constexpr std::size_t kMaxSamples = std::size_t(kRate) * 10;

    // The wave devices' side.
    void played(const char* data, quint32 bytes);
    // Up to bytes of what the far end said; live while a call's media runs, so a short
    // answer is network delay rather than silence.
    quint32 heard(char* data, quint32 bytes, bool* live);
    void setPlaying(bool playing);
    void setRecording(bool recording);
    bool playing() const;
    bool recording() const;

    // The slot whose call the wave devices carry (the provider's thread).
    void setActiveSlot(int slot);
    int activeSlot() const;

    // The sound card's side, per slot: samples to send (silence where nothing was played,
    // or for a slot that is not active), and samples received. Start and stop bracket one
    // call's media.
    void send(qint16* out, std::size_t samples, int slot = 0);
    void received(const qint16* in, std::size_t samples, int slot = 0);
    void senderStarted(bool started, int slot = 0);
    void receiverStarted(bool started, int slot = 0);

private:
    static void append(std::deque<qint16>& fifo, const qint16* samples, std::size_t count);
    static void count(std::map<int, int>& running, int slot, bool started);
    int runningIn(const std::map<int, int>& running) const;

    mutable std::mutex m_mutex;
    std::deque<qint16> m_toCall;
    std::deque<qint16> m_fromCall;
    bool m_playing = false;
    bool m_recording = false;
    int m_active = 0;
    std::map<int, int> m_senders; // running media per slot
    std::map<int, int> m_receivers;
};

} // namespace Telephony::Sip
