#include "SipSoundCard.h"

#include <linphone++/linphone.hh>
#include <linphone/core.h>
#include <mediastreamer2/msfactory.h>
#include <mediastreamer2/msfilter.h>
#include <mediastreamer2/mssndcard.h>
#include <mediastreamer2/msticker.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace Telephony::Sip {

namespace {

using AudioPtr = std::shared_ptr<SipLineAudio>;

// The engine finds its cards by calling detect() of each registered kind, on every
// reload; the card a media engine should have is looked up here.
struct Pending {
    AudioPtr audio;
    std::string name;
    int slotCount = 1;
};
std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}
std::map<MSFactory*, Pending>& registry()
{
    static std::map<MSFactory*, Pending> cards;
    return cards;
}

// What a card serves: the line, and the slot of the line's calls it is.
struct CardData {
    AudioPtr audio;
    int slot = 0;
};

// One filter's state: the line and slot it serves and, for the sending side, its own clock.
struct FilterState {
    AudioPtr audio;
    int slot = 0;
    bool running = false;
    uint64_t origin = 0;
    uint64_t sent = 0;
};

FilterState* state(MSFilter* f) { return static_cast<FilterState*>(f->data); }

int setRate(MSFilter*, void* arg) { return *static_cast<int*>(arg) == SipLineAudio::kRate ? 0 : -1; }
int getRate(MSFilter*, void* arg)
{
    *static_cast<int*>(arg) = SipLineAudio::kRate;
    return 0;
}
int setChannels(MSFilter*, void* arg) { return *static_cast<int*>(arg) == 1 ? 0 : -1; }
int getChannels(MSFilter*, void* arg)
{
    *static_cast<int*>(arg) = 1;
    return 0;
}

MSFilterMethod kMethods[] = {
    {MS_FILTER_SET_SAMPLE_RATE, setRate},
    {MS_FILTER_GET_SAMPLE_RATE, getRate},
    {MS_FILTER_SET_NCHANNELS, setChannels},
    {MS_FILTER_GET_NCHANNELS, getChannels},
    {0, nullptr},
};

void filterInit(MSFilter* f) { f->data = nullptr; }

void filterUninit(MSFilter* f)
{
    delete state(f);
    f->data = nullptr;
}

// The capture side: every tick, the samples due by the ticker's clock, one tick ahead
// as a sound card delivers them.
void readPreprocess(MSFilter* f)
{
    if (FilterState* s = state(f)) {
        s->running = true;
        s->origin = f->ticker->time;
        s->sent = 0;
        s->audio->senderStarted(true, s->slot);
    }
}

void readProcess(MSFilter* f)
{
    FilterState* s = state(f);
    if (!s)
        return;
    const uint64_t due = (f->ticker->time - s->origin + uint64_t(f->ticker->interval)) * SipLineAudio::kRate / 1000;
    if (due <= s->sent)
        return;
    // A clock that jumped (a stalled machine) costs at most a second of samples.
    const std::size_t count = std::size_t(std::min<uint64_t>(due - s->sent, SipLineAudio::kRate));
    s->sent = due;
    mblk_t* m = allocb(count * 2, 0);
    if (!m)
        return;
    // The block's bytes need not be aligned for samples: filled through a copy.
    qint16 chunk[512];
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(count - done, std::size(chunk));
        s->audio->send(chunk, n, s->slot);
        std::memcpy(m->b_wptr, chunk, n * 2);
        m->b_wptr += n * 2;
        done += n;
    }
    ms_queue_put(f->outputs[0], m);
}

// Tells the line, once, that this direction of its audio stopped.
void stopDirection(MSFilter* f, void (SipLineAudio::*started)(bool, int))
{
    if (FilterState* s = state(f); s && s->running) {
        s->running = false;
        (*s->audio.*started)(false, s->slot);
    }
}

void readPostprocess(MSFilter* f)
{
    stopDirection(f, &SipLineAudio::senderStarted);
}

void readUninit(MSFilter* f)
{
    readPostprocess(f);
    filterUninit(f);
}

// The playback side: whatever arrives goes to the line.
void writePreprocess(MSFilter* f)
{
    if (FilterState* s = state(f)) {
        s->running = true;
        s->audio->receiverStarted(true, s->slot);
    }
}

void writeProcess(MSFilter* f)
{
    FilterState* s = state(f);
    qint16 chunk[512];
    while (mblk_t* m = ms_queue_get(f->inputs[0])) {
        for (mblk_t* part = m; s && part; part = part->b_cont) {
            const unsigned char* data = part->b_rptr;
            std::size_t samples = part->b_wptr > data ? std::size_t(part->b_wptr - data) / 2 : 0;
            while (samples > 0) {
                const std::size_t n = std::min(samples, std::size(chunk));
                std::memcpy(chunk, data, n * 2);
                s->audio->received(chunk, n, s->slot);
                data += n * 2;
                samples -= n;
            }
        }
        freemsg(m);
    }
}

void writePostprocess(MSFilter* f)
{
    stopDirection(f, &SipLineAudio::receiverStarted);
}

void writeUninit(MSFilter* f)
{
    writePostprocess(f);
    filterUninit(f);
}

MSFilterDesc kReadDesc = {MS_FILTER_PLUGIN_ID, "LinkoraLineRead", "A SIP line's wave output as a capture device",
                          MS_FILTER_OTHER, nullptr, 0, 1, filterInit, readPreprocess, readProcess, readPostprocess,
                          readUninit, kMethods, 0};
MSFilterDesc kWriteDesc = {MS_FILTER_PLUGIN_ID, "LinkoraLineWrite", "A SIP line's wave input as a playback device",
                           MS_FILTER_OTHER, nullptr, 1, 0, filterInit, writePreprocess, writeProcess,
                           writePostprocess, writeUninit, kMethods, 0};

CardData* cardData(MSSndCard* card) { return static_cast<CardData*>(card->data); }

MSFilter* createFilter(MSSndCard* card, MSFilterDesc* desc)
{
    MSFilter* f = ms_factory_create_filter_from_desc(ms_snd_card_get_factory(card), desc);
    if (f && cardData(card))
        f->data = new FilterState{cardData(card)->audio, cardData(card)->slot};
    return f;
}

MSFilter* createReader(MSSndCard* card) { return createFilter(card, &kReadDesc); }
MSFilter* createWriter(MSSndCard* card) { return createFilter(card, &kWriteDesc); }

void cardUninit(MSSndCard* card)
{
    delete cardData(card);
    card->data = nullptr;
}

MSSndCard* newCard(const char* name, const CardData& data);

MSSndCard* duplicateCard(MSSndCard* card)
{
    return cardData(card) ? newCard(ms_snd_card_get_name(card), *cardData(card)) : nullptr;
}

void detectCards(MSSndCardManager* manager);

MSSndCardDesc kCardDesc = {"Linkora", detectCards, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           createReader, createWriter, cardUninit, duplicateCard, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr};

MSSndCard* newCard(const char* name, const CardData& data)
{
    MSSndCard* card = ms_snd_card_new_with_name(&kCardDesc, name);
    if (!card)
        return nullptr;
    card->data = new CardData(data);
    card->capabilities = MS_SND_CARD_CAP_CAPTURE | MS_SND_CARD_CAP_PLAYBACK;
    card->device_type = MS_SND_CARD_DEVICE_TYPE_AUX_LINE;
    card->preferred_sample_rate = SipLineAudio::kRate;
    return card;
}

void detectCards(MSSndCardManager* manager)
{
    Pending pending;
    {
        std::lock_guard lock(registryMutex());
        const auto it = registry().find(manager->factory);
        if (it == registry().end())
            return;
        pending = it->second;
    }
    for (int slot = 0; slot < pending.slotCount; ++slot) {
        const std::string name = slot == 0 ? pending.name : pending.name + " #" + std::to_string(slot);
        if (MSSndCard* card = newCard(name.c_str(), CardData{pending.audio, slot}))
            ms_snd_card_manager_add_card(manager, card);
    }
}

// The id of a device the core lists, empty for none.
std::string idOf(const std::shared_ptr<const linphone::AudioDevice>& device)
{
    return device ? device->getId() : std::string();
}

bool sipCallEnded(const std::shared_ptr<linphone::Call>& call)
{
    const linphone::Call::State s = call->getState();
    return s == linphone::Call::State::End || s == linphone::Call::State::Released ||
           s == linphone::Call::State::Error;
}

std::string cardId(MSSndCard* card)
{
    const char* id = card ? ms_snd_card_get_string_id(card) : nullptr;
    return id ? std::string(id) : std::string();
}

} // namespace

SipSoundCard::SipSoundCard(const std::shared_ptr<linphone::Core>& core, const QString& name,
                           std::shared_ptr<SipLineAudio> audio, bool soundCard, int calls)
    : m_core(core)
    , m_audio(std::move(audio))
    , m_soundCard(soundCard)
{
    auto* lc = static_cast<LinphoneCore*>(linphone::Object::sharedPtrToCPtr(core));
    MSFactory* factory = lc ? linphone_core_get_ms_factory(lc) : nullptr;
    if (!factory)
        return;
    // One slot to spare: a call the stack follows for a transfer overlaps the one it replaces.
    const int slotCount = std::max(1, calls) + 2;
    {
        std::lock_guard lock(registryMutex());
        registry()[factory] = {m_audio, name.toStdString(), slotCount};
    }
    m_factory = factory;
    MSSndCardManager* manager = ms_factory_get_snd_card_manager(factory);
    ms_snd_card_manager_register_desc(manager, &kCardDesc);
    core->reloadSoundDevices();
    m_slotIds.assign(size_t(slotCount), std::string());
    for (const bctbx_list_t* it = ms_snd_card_manager_get_list(manager); it; it = it->next) {
        auto* card = static_cast<MSSndCard*>(it->data);
        if (!card || card->desc != &kCardDesc || !cardData(card) || cardData(card)->slot >= slotCount)
            continue;
        m_slotIds[size_t(cardData(card)->slot)] = cardId(card);
        if (cardData(card)->slot == 0) {
            m_card = card;
            m_id = cardId(card);
        }
    }
    // The machine's cards: those the core chose, unless it chose one of the line's; then
    // the engine's first other card that can.
    const auto lines = [this](const std::string& id) {
        return std::find(m_slotIds.begin(), m_slotIds.end(), id) != m_slotIds.end();
    };
    m_machineIn = idOf(core->getDefaultInputAudioDevice());
    m_machineOut = idOf(core->getDefaultOutputAudioDevice());
    for (const bctbx_list_t* it = ms_snd_card_manager_get_list(manager); it; it = it->next) {
        auto* card = static_cast<MSSndCard*>(it->data);
        if (!card || card->desc == &kCardDesc)
            continue;
        if ((m_machineIn.empty() || lines(m_machineIn)) && (card->capabilities & MS_SND_CARD_CAP_CAPTURE))
            m_machineIn = cardId(card);
        if ((m_machineOut.empty() || lines(m_machineOut)) && (card->capabilities & MS_SND_CARD_CAP_PLAYBACK))
            m_machineOut = cardId(card);
    }
    if (lines(m_machineIn))
        m_machineIn.clear();
    if (lines(m_machineOut))
        m_machineOut.clear();
    route();
}

SipSoundCard::~SipSoundCard()
{
    if (!m_factory)
        return;
    std::lock_guard lock(registryMutex());
    registry().erase(static_cast<MSFactory*>(m_factory));
}

std::string SipSoundCard::slotId(int slot) const
{
    return slot >= 0 && slot < int(m_slotIds.size()) ? m_slotIds[size_t(slot)] : std::string();
}

std::shared_ptr<linphone::AudioDevice> SipSoundCard::device(const std::string& id) const
{
    auto core = m_core.lock();
    if (!core || id.empty())
        return nullptr;
    for (const auto& device : core->getExtendedAudioDevices())
        if (device && device->getId() == id)
            return device;
    return nullptr;
}

void SipSoundCard::setCalls(const std::vector<CallAudio>& calls)
{
    std::vector<Assigned> next;
    std::vector<bool> taken(m_slotIds.size(), false);
    taken[0] = true;
    // Calls keep their slots; a new one takes the first free.
    for (const CallAudio& c : calls) {
        if (!c.call)
            continue;
        const auto known = std::find_if(m_calls.begin(), m_calls.end(), [&](const Assigned& a) {
            return a.call->cPtr() == c.call->cPtr();
        });
        const int slot = known != m_calls.end() ? known->slot : 0;
        next.push_back({c.call, slot, c.active, c.keep});
        if (slot > 0)
            taken[size_t(slot)] = true;
    }
    for (Assigned& a : next) {
        if (a.slot > 0)
            continue;
        const auto free = std::find(taken.begin(), taken.end(), false);
        if (free == taken.end())
            continue; // more calls than slots: the line's default card
        a.slot = int(free - taken.begin());
        *free = true;
    }
    m_calls = std::move(next);
    int active = 0;
    for (const Assigned& a : m_calls)
        if (a.active)
            active = a.slot;
    m_audio->setActiveSlot(active);
    route();
}

void SipSoundCard::route()
{
    auto core = m_core.lock();
    if (!core || !m_card)
        return;
    // What the wave output plays is captured; what the wave input records is played back.
    const int in = !m_soundCard || m_machineIn.empty() || m_audio->playing() ? 1 : 0;
    const int out = !m_soundCard || m_machineOut.empty() || m_audio->recording() ? 1 : 0;
    // The defaults serve a conference's mix and calls not given a slot yet; setting them
    // also moves every call, so each call's own choice follows below.
    if (in != m_routedIn) {
        if (auto dev = device(in ? m_id : m_machineIn)) {
            core->setDefaultInputAudioDevice(dev);
            core->setInputAudioDevice(dev);
        }
        m_routedIn = in;
    }
    if (out != m_routedOut) {
        if (auto dev = device(out ? m_id : m_machineOut)) {
            core->setDefaultOutputAudioDevice(dev);
            core->setOutputAudioDevice(dev);
        }
        m_routedOut = out;
    }
    for (const Assigned& a : m_calls) {
        if (a.keep || a.slot == 0 || sipCallEnded(a.call))
            continue;
        // A call that is not the line's active one stays on its own card, never the
        // machine's or another call's.
        const std::string own = slotId(a.slot);
        const std::string wantIn = a.active && !in ? m_machineIn : own;
        const std::string wantOut = a.active && !out ? m_machineOut : own;
        if (idOf(a.call->getInputAudioDevice()) != wantIn)
            if (auto dev = device(wantIn))
                a.call->setInputAudioDevice(dev);
        if (idOf(a.call->getOutputAudioDevice()) != wantOut)
            if (auto dev = device(wantOut))
                a.call->setOutputAudioDevice(dev);
    }
}

} // namespace Telephony::Sip
