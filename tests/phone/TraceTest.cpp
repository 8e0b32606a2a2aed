// Whole sequences compared line by line with the expected traces in traces/.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <TnvNotation.h>

TEST_F(PhoneHarness, HandsetCallSequence)
{
    std::unique_ptr<TnvPhone> phone = enabledPhone();
    takeTrace();
    int reports = 0;
    const auto count = [&](TnvSharedControl*) { ++reports; };
    phone->OnHandsetHookSwitch = count;
    phone->OnHandsetVolume = count;
    phone->OnHandsetGain = count;
    QString digits;
    phone->OnDigitUp = [&](TnvSharedControl*, QChar digit) { digits += digit; };

    phone->Device()->setActive(true);
    phone->Handset()->setMicrophoneAndSpeaker(true);
    ASSERT_TRUE(waitUntil([&] { return reports == 1; }));
    phone->Handset()->setVolume(80);
    ASSERT_TRUE(waitUntil([&] { return reports == 2; }));
    phone->Handset()->setGain(30);
    ASSERT_TRUE(waitUntil([&] { return reports == 3; }));
    for (const char* key : {"5", "5", "5", "0", "1", "#"})
        ASSERT_TRUE(control(QStringLiteral("button"), {{"digit", key}}));
    ASSERT_TRUE(waitUntil([&] { return digits == QLatin1String("55501#"); }));
    phone->Handset()->setOnHook(true);
    ASSERT_TRUE(waitUntil([&] { return reports == 4; }));
    phone->Device()->setActive(false);
    EXPECT_EQ(phone->Error()->Number(), 0);
    expectTrace(QStringLiteral("handset-call"), takeTrace());
}

TEST_F(PhoneHarness, PropertyDumpOfAnOpenPhone)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    phone->Speakerphone()->setSpeakerOnly(true);
    ASSERT_TRUE(waitUntil([&] { return phone->Device()->State() != 0; }));
    takeTrace();
    ASSERT_TRUE(phone->LogProperties(QStringLiteral("Current nvPhone property values:"), QString(), QString()));
    QStringList trace = takeTrace();
    trace.replaceInStrings(TnvNotation::hex8(phone->Phone()->AppHandle()), QStringLiteral("<app>"));
    trace.replaceInStrings(TnvNotation::hex8(phone->Phone()->Handle()), QStringLiteral("<phone>"));
    expectTrace(QStringLiteral("dump-open"), trace);
}
