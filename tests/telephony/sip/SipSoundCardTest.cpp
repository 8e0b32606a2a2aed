// Which card a SIP line's calls use: the machine's while the line's wave devices are
// closed, the line's own in each direction whose wave device is in use, and the line's
// own alone without a sound card. The machine's card is a stand-in registered here.

#include <SipSoundCard.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <linphone++/linphone.hh>
#include <linphone/core.h>
#include <mediastreamer2/msfactory.h>
#include <mediastreamer2/mssndcard.h>

using Telephony::Sip::SipLineAudio;
using Telephony::Sip::SipSoundCard;

namespace {

void detectMachine(MSSndCardManager* manager);

MSSndCardDesc kMachineDesc = {"Machine", detectMachine, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr};

void detectMachine(MSSndCardManager* manager)
{
    MSSndCard* card = ms_snd_card_new_with_name(&kMachineDesc, "speaker");
    card->capabilities = MS_SND_CARD_CAP_CAPTURE | MS_SND_CARD_CAP_PLAYBACK;
    // First in the list: the engine's default, as a real machine's card is.
    ms_snd_card_manager_prepend_card(manager, card);
}

class SipSoundCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        linphone::LoggingService::get()->setLogLevelMask(unsigned(linphone::LogLevel::Fatal));
        auto factory = linphone::Factory::get();
        const std::string dir = m_dir.path().toStdString();
        factory->setConfigDir(dir);
        factory->setDataDir(dir);
        factory->setMspluginsDir(dir);
        m_core = factory->createCoreWithConfig(factory->createConfigFromString(""), nullptr);
        ASSERT_TRUE(m_core);
        auto* lc = static_cast<LinphoneCore*>(linphone::Object::sharedPtrToCPtr(m_core));
        MSSndCardManager* manager = ms_factory_get_snd_card_manager(linphone_core_get_ms_factory(lc));
        if (withMachine)
            ms_snd_card_manager_register_desc(manager, &kMachineDesc);
        m_core->reloadSoundDevices();
    }

    void TearDown() override
    {
        m_card.reset();
        m_core.reset();
    }

    std::string input() const { return m_core->getDefaultInputAudioDevice()->getId(); }
    std::string output() const { return m_core->getDefaultOutputAudioDevice()->getId(); }

    bool withMachine = true;
    QTemporaryDir m_dir;
    std::shared_ptr<linphone::Core> m_core;
    std::shared_ptr<SipLineAudio> m_audio = std::make_shared<SipLineAudio>();
    std::unique_ptr<SipSoundCard> m_card;
};

TEST_F(SipSoundCardTest, EachDirectionUsesTheLinesCardOnlyWhileItsWaveDeviceIsInUse)
{
    const std::string machine = m_core->getDefaultInputAudioDevice()->getId();
    ASSERT_NE(machine.find("speaker"), std::string::npos);
    m_card = std::make_unique<SipSoundCard>(m_core, QStringLiteral("SIP alice@example.org"), m_audio, true);
    ASSERT_TRUE(m_card->installed());
    EXPECT_NE(m_card->id().find("SIP alice@example.org"), std::string::npos);
    const std::string line = m_card->id();

    struct Case {
        bool playing, recording;
        std::string in, out;
    };
    for (const Case& c : {Case{false, false, machine, machine}, Case{true, false, line, machine},
                          Case{true, true, line, line}, Case{false, true, machine, line},
                          Case{false, false, machine, machine}}) {
        SCOPED_TRACE(testing::Message() << "playing " << c.playing << " recording " << c.recording);
        m_audio->setPlaying(c.playing);
        m_audio->setRecording(c.recording);
        m_card->route();
        EXPECT_EQ(input(), c.in);
        EXPECT_EQ(output(), c.out);
    }
}

TEST_F(SipSoundCardTest, WithoutASoundCardTheLinesCardIsTheOnlyAudio)
{
    m_card = std::make_unique<SipSoundCard>(m_core, QStringLiteral("SIP bob@example.org"), m_audio, false);
    ASSERT_TRUE(m_card->installed());
    for (bool playing : {false, true, false}) {
        m_audio->setPlaying(playing);
        m_card->route();
        EXPECT_EQ(input(), m_card->id());
        EXPECT_EQ(output(), m_card->id());
    }
}

} // namespace
