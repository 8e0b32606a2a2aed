// One SIP account's stack: a SIP core of its own (its own folders, transports and
// registration), iterated by a timer on the thread that created it, never blocking it.
// What the core reports is handed to the owner's Events on that same thread.
// Oversized address headers never reach the core (SipInputGuard).
#pragma once

#include "SipAccount.h"
#include "SipLineAudio.h"
#include "SipSoundCard.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include <linphone++/linphone.hh>

namespace Telephony::Sip {

class SipEndpoint : public QObject {
public:
    enum class Registration { Unregistered, Registering, Registered, Failed };

    class Events {
    public:
        virtual ~Events() = default;
        virtual void registrationChanged(SipEndpoint& endpoint) = 0;
        virtual void callStateChanged(SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call,
                                      linphone::Call::State state) = 0;
        virtual void dtmfReceived(SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call, int dtmf) = 0;
        virtual void transferStateChanged(SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call,
                                          linphone::Call::State state) = 0;
    };

    // soundCard false: calls play silence and record nothing (tests, machines without
    // audio devices).
    SipEndpoint(int device, const SipAccount& account, bool soundCard, Events* events, QObject* parent = nullptr);
    ~SipEndpoint() override;

    // The line's wave devices' audio, given before start: the core gets a sound card of
    // its own named name (SipSoundCard).
    void setLineAudio(std::shared_ptr<SipLineAudio> audio, const QString& name);
    // Chooses each direction's card again after a wave device of the line started or stopped.
    void routeAudio();
    // The line's calls with media and which of them the wave devices carry (SipSoundCard).
    void setCallAudio(const std::vector<SipSoundCard::CallAudio>& calls);

    // Creates and starts the core; false with the reason (never holding the password).
    // Nothing of the stack exists before: no folder, no socket, no timer. A failed start
    // leaves nothing behind, so it may be tried again.
    bool start(QString* error);
    bool started() const { return m_running; }

    int device() const { return m_device; }
    const SipAccount& account() const { return m_account; }
    linphone::Core* core() const { return m_core.get(); }
    std::shared_ptr<linphone::Core> sharedCore() const { return m_core; }
    Registration registration() const { return m_registration; }
    // Whether the line can place calls: registered, or an account without a registrar.
    bool inService() const;
    QString registrationError() const { return m_registrationError; }
    // The SIP port the core listens on (0 before start).
    int localPort() const;

    // Writes a file for the core to play into the folder of its own; the path, or an empty
    // text when it could not be written.
    QString writeMediaFile(const QString& name, const QByteArray& data) const;

    // Called by the core's listener.
    void onRegistration(linphone::RegistrationState state, const std::string& message);
    Events* events() const { return m_events; }

private:
    class Listener;

    bool startCore(QString* error);
    void stopCore();

    int m_device = 0;
    SipAccount m_account;
    bool m_soundCard = true;
    Events* m_events = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_running = false;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<Listener> m_listener;
    std::shared_ptr<linphone::Account> m_sipAccount;
    std::shared_ptr<SipLineAudio> m_lineAudio;
    QString m_cardName;
    std::unique_ptr<SipSoundCard> m_card;
    QTimer m_iterate;
    Registration m_registration = Registration::Unregistered;
    QString m_registrationError;
};

} // namespace Telephony::Sip
