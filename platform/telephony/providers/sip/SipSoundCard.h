// A SIP line's own sound card in the SIP stack's media engine: its capture side sends
// what the line's wave output plays, its playback side hands what the far end says to
// the line's wave input (both through the line's SipLineAudio). Each line's stack has a
// media engine of its own, so each gets one card, named after the line.
//
// The card is the line's call audio while the line's wave devices are in use; otherwise
// calls use the machine's sound card (see route()), or the card alone with audio = "none".
// The card comes in slots: slot 0 is the core's default (a conference's mix uses it),
// and each call of the line gets a slot of its own, so two calls never share one; only
// the active call's slot is joined to the line's wave devices (SipLineAudio).
#pragma once

#include "SipLineAudio.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace linphone {
class AudioDevice;
class Call;
class Core;
} // namespace linphone

namespace Telephony::Sip {

class SipSoundCard {
public:
    // Adds the card to a created, not yet started core. soundCard false: the card is the
    // core's only audio, so calls hear silence unless the wave devices play.
    // calls: how many calls the line may have at once, each given a slot.
    SipSoundCard(const std::shared_ptr<linphone::Core>& core, const QString& name,
                 std::shared_ptr<SipLineAudio> audio, bool soundCard, int calls = 1);
    ~SipSoundCard();
    SipSoundCard(const SipSoundCard&) = delete;
    SipSoundCard& operator=(const SipSoundCard&) = delete;

    bool installed() const { return m_card != nullptr; }
    // The card's id in the media engine ("driver: name"): slot 0's.
    std::string id() const { return m_id; }
    // A slot's card id, empty for none.
    std::string slotId(int slot) const;

    // The line's calls with media: which one the line's wave devices carry (at most one
    // active) and which to leave where they are (mixed in a conference). Calls keep their
    // slots while listed; a call not listed any more frees its slot.
    struct CallAudio {
        std::shared_ptr<linphone::Call> call;
        bool active = false;
        bool keep = false;
    };
    void setCalls(const std::vector<CallAudio>& calls);

    // Points the active call, and calls to come, at the line's card in each direction
    // where the line's wave device is in use, and at the machine's card in the others;
    // every other call at its own slot.
    void route();

private:
    struct Assigned {
        std::shared_ptr<linphone::Call> call;
        int slot = 0;
        bool active = false;
        bool keep = false;
    };

    std::shared_ptr<linphone::AudioDevice> device(const std::string& id) const;

    std::weak_ptr<linphone::Core> m_core;
    std::shared_ptr<SipLineAudio> m_audio;
    bool m_soundCard = true;
    void* m_factory = nullptr; // the core's media engine, while the card is known to it
    void* m_card = nullptr;
    std::string m_id;
    std::vector<std::string> m_slotIds;
    std::vector<Assigned> m_calls;
    std::string m_machineIn; // the machine's cards, empty when there are none
    std::string m_machineOut;
    int m_routedIn = -1; // last direction chosen: 1 the card, 0 the machine, -1 not yet
    int m_routedOut = -1;
};

} // namespace Telephony::Sip
