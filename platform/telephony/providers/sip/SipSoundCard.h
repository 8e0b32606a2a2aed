// A SIP line's own sound card in the SIP stack's media engine: its capture side sends
// what the line's wave output plays, its playback side hands what the far end says to
// the line's wave input (both through the line's SipLineAudio). Each line's stack has a
// media engine of its own, so each gets one card, named after the line.
//
// The card is the line's call audio while the line's wave devices are in use; otherwise
// calls use the machine's sound card (see route()), or the card alone with audio = "none".
// FIXME: all calls of a line share its card; two calls with running media at once (one
// on hold with music) would split what the wave output plays between them.
#pragma once

#include "SipLineAudio.h"

#include <QString>

#include <memory>
#include <string>

namespace linphone {
class AudioDevice;
class Core;
} // namespace linphone

namespace Telephony::Sip {

class SipSoundCard {
public:
    // Adds the card to a created, not yet started core. soundCard false: the card is the
    // core's only audio, so calls hear silence unless the wave devices play.
    SipSoundCard(const std::shared_ptr<linphone::Core>& core, const QString& name,
                 std::shared_ptr<SipLineAudio> audio, bool soundCard);
    ~SipSoundCard();
    SipSoundCard(const SipSoundCard&) = delete;
    SipSoundCard& operator=(const SipSoundCard&) = delete;

    bool installed() const { return m_card != nullptr; }
    // The card's id in the media engine ("driver: name").
    std::string id() const { return m_id; }

    // Points the core's calls, present and future, at the card in each direction where
    // the line's wave device is in use, and at the machine's card in the others.
    void route();

private:
    std::shared_ptr<linphone::AudioDevice> device(const std::string& id) const;

    std::weak_ptr<linphone::Core> m_core;
    std::shared_ptr<SipLineAudio> m_audio;
    bool m_soundCard = true;
    void* m_factory = nullptr; // the core's media engine, while the card is known to it
    void* m_card = nullptr;
    std::string m_id;
    std::string m_machineIn; // the machine's cards, empty when there are none
    std::string m_machineOut;
    int m_routedIn = -1; // last direction chosen: 1 the card, 0 the machine, -1 not yet
    int m_routedOut = -1;
};

} // namespace Telephony::Sip
