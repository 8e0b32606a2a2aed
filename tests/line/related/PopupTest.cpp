// The line control's popup flags: one per event, in the dump order, reachable by name.

#include "RelatedFixture.h"

#include <TnvPopup.h>
#include <TnvPropertyPath.h>

#include <QMetaProperty>

namespace {

// The dump order of the 41 flags.
const QStringList kEvents = {
    "OnAddressState", "OnLineState", "OnDevSpecific", "OnDevSpecificFeature", "OnCallerID", "OnIdle",
    "OnError", "OnRing", "OnCalledID", "OnConnectedID", "OnRedirectionID", "OnRedirectingID",
    "OnMessageOn", "OnMessageOff", "OnBusy", "OnCallBegin", "OnCallEnd", "OnCallInfo",
    "OnCallMediaModeChange", "OnCallOwnerChange", "OnCallState", "OnConferenced", "OnRingBack", "OnConnected",
    "OnSpecialInfo", "OnDialing", "OnDialtone", "OnProceeding", "OnDigitReceived", "OnDigitsSent",
    "OnHold", "OnHoldPendingConference", "OnHoldPendingTransfer", "OnToneSent", "OnDisconnected", "OnOffering",
    "OnSilence", "OnTAPIMessage", "OnTAPIReply", "OnAddressForward", "OnDigitsGathered"};

} // namespace

TEST_F(RelatedFixture, PopupFlagsAreTheEventsInDumpOrder)
{
    TnvPopup* popup = m_line.Popup();
    const QMetaObject* meta = popup->metaObject();
    QStringList properties;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        properties << QLatin1String(property.name());
        EXPECT_EQ(property.typeId(), QMetaType::Bool) << property.name();
        EXPECT_FALSE(property.read(popup).toBool()) << property.name();
    }
    EXPECT_EQ(properties, kEvents);

    // By name, the property and the flag are one value.
    for (const QString& event : kEvents) {
        const QByteArray name = event.toLatin1();
        ASSERT_TRUE(TnvPropertyPath::write(&m_line, QStringLiteral("Popup.") + event, true));
        EXPECT_TRUE(popup->flag(name.constData())) << name.constData();
        EXPECT_TRUE(popup->setFlag(name.constData(), false));
        EXPECT_FALSE(popup->property(name.constData()).toBool()) << name.constData();
    }
    for (const char* unknown : {"OnLog", "onerror", "OnError ", "", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(popup->setFlag(unknown, true));
        EXPECT_FALSE(popup->flag(unknown));
    }
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(RelatedFixture, PopupDumpWritesEveryFlagInOrder)
{
    m_line.Popup()->setOnError(true);
    m_line.Popup()->setFlag(TnvPopup::OnDigitsGatheredEvent, true);
    EXPECT_TRUE(m_line.Popup()->LogProperties(QString(), QString(), QStringLiteral("\t")));
    QStringList expected;
    for (const QString& event : kEvents) {
        const bool set = event == QLatin1String("OnError") || event == QLatin1String("OnDigitsGathered");
        expected << QStringLiteral("\tPopup.") + event + (set ? QStringLiteral(" = True") : QStringLiteral(" = False"));
    }
    EXPECT_EQ(written(), expected);
}
