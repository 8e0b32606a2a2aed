#pragma once

// A line control built from the dialer's settings, open on line 1 of the simulated
// exchange, with the digit, tone, silence and media events it fires noted as text.

#include "LineHarness.h"

#include "EventLoop.h"

#include <ServiceControl.h>
#include <TapiConstants.h>
#include <TnvCall.h>
#include <TnvLineDevice.h>
#include <TnvLinePrivate.h>
#include <TnvNotation.h>

#include <QElapsedTimer>
#include <QJsonObject>
#include <QRegularExpression>

class DigitsFixture : public LineHarness {
protected:
    void SetUp() override
    {
        LineHarness::SetUp();
        m_line = loadDialerLine();
        m_line->OnDigitsGathered = [this](TnvSharedControl*, int handle, const QString& digits, int termination,
                                          int tag) {
            m_events << QStringLiteral("OnDigitsGathered %1 '%2' %3 tag %4")
                            .arg(handle)
                            .arg(digits)
                            .arg(termination)
                            .arg(tag);
        };
        m_line->OnDigitReceived = [this](TnvSharedControl*, int handle, QChar digit, int tag) {
            m_events << QStringLiteral("OnDigitReceived %1 '%2' tag %3").arg(handle).arg(digit).arg(tag);
        };
        const auto note = [this](const char* name) {
            return [this, name](TnvSharedControl*, int handle) {
                m_events << QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(handle);
            };
        };
        m_line->OnSilence = note("OnSilence");
        m_line->OnCallMediaModeChange = note("OnCallMediaModeChange");
        m_line->OnDigitsSent = note("OnDigitsSent");
        m_line->OnToneSent = note("OnToneSent");
        m_line->OnConnected = note("OnConnected");
        m_line->Device()->setActive(true);
        ASSERT_TRUE(m_line->Device()->Active());
        takeTrace();
    }

    void TearDown() override
    {
        m_line.reset();
        LineHarness::TearDown();
    }

    // Places a call and waits until the party answered; 0 when it did not.
    HCALL connect(const char* number)
    {
        call()->setPhoneNumber(QString::fromLatin1(number));
        if (!call()->Dial())
            return 0;
        if (!waitUntil([this] { return call()->State() == LINECALLSTATE_CONNECTED; }))
            return 0;
        return call()->Handle();
    }

    // The far end of line 1's newest call keys digits.
    static bool farEndDigits(const char* digits)
    {
        return Telephony::serviceControl(QStringLiteral("digits"), {{"line", 1}, {"digits", digits}})
            .value(QStringLiteral("ok"))
            .toBool();
    }

    // The next calls to the named service function fail with code.
    static bool failNext(const char* function, quint32 code, int times = 1)
    {
        return Telephony::serviceControl(QStringLiteral("fail"), {{"function", function},
                                                                  {"code", QString::number(code)},
                                                                  {"count", times}})
            .value(QStringLiteral("ok"))
            .toBool();
    }

    bool waitForEvent(const QString& prefix, int timeoutMs = 5000)
    {
        return waitUntil([&] { return !eventsStartingWith(prefix).isEmpty(); }, timeoutMs);
    }

    QStringList eventsStartingWith(const QString& prefix) const
    {
        QStringList found;
        for (const QString& event : m_events)
            if (event.startsWith(prefix))
                found << event;
        return found;
    }

    // The trace with this call's handle and the clock times replaced by names.
    QStringList normalisedTrace(HCALL handle)
    {
        QStringList trace = takeTrace();
        trace.replaceInStrings(TnvNotation::hex8(handle), QStringLiteral("<call>"));
        trace.replaceInStrings(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d$")), QStringLiteral("<time>"));
        return trace;
    }

    // Lets the event loop run for a while, for checks that something does not happen.
    static void settle(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        waitUntil([&] { return timer.elapsed() >= ms; }, ms + 1000);
    }

    TnvCall* call() const { return m_line->Call(); }
    TnvCallRecords& records() const { return TnvLinePrivate::get(m_line.get())->records(); }
    qint32 error() const { return m_line->Error()->Number(); }

    std::unique_ptr<TnvLine> m_line;
    QStringList m_events;
};
