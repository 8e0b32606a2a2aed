// Calls from the dialer window on the simulated exchange, with the whole log box
// compared line by line.

#include "DialerHarness.h"

#include "EventLoop.h"

#include <ServiceControl.h>
#include <TnvDialer.h>
#include <TnvLine.h>

#include <QCheckBox>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FormCall : public DialerHarness {
protected:
    void activateAndDial(const QString& number)
    {
        QTest::mouseClick(widget<QCheckBox>("CheckBoxActive"), Qt::LeftButton);
        ASSERT_TRUE(nvLine()->Device()->Active()) << memoLines().join('\n').toStdString();
        ASSERT_TRUE(widget<QPushButton>("ButtonDial")->isEnabled());
        QTest::keyClicks(widget<QLineEdit>("EditPhoneNumber"), number);
        QTest::mouseClick(widget<QPushButton>("ButtonDial"), Qt::LeftButton);
    }
    TnvLine* nvLine() const { return m_form->nvLine1(); }
};

} // namespace

TEST_F(FormCall, ConnectedCallFromDialToIdle)
{
    ASSERT_TRUE(createForm());
    activateAndDial(QStringLiteral("555-0100"));
    ASSERT_TRUE(waitForLine(QStringLiteral("nvLine1.OnConnectedID")));
    EXPECT_FALSE(widget<QPushButton>("ButtonDial")->isEnabled());
    EXPECT_TRUE(widget<QPushButton>("ButtonHangup")->isEnabled());
    screenshot(m_form.get(), QStringLiteral("dialer-connected-call"));

    QTest::mouseClick(widget<QPushButton>("ButtonHangup"), Qt::LeftButton);
    // The window set an idle delay of 2000 ms: the call ends at once, OnIdle follows.
    ASSERT_TRUE(waitForLine(QStringLiteral("nvLine1.OnCallEnd")));
    EXPECT_FALSE(memoContains(QStringLiteral("nvLine1.OnIdle")));
    ASSERT_TRUE(waitForLine(QStringLiteral("nvLine1.OnIdle")));
    EXPECT_EQ(nvLine()->Device()->IdleDelay(), 2000);
    EXPECT_TRUE(widget<QPushButton>("ButtonDial")->isEnabled());
    EXPECT_FALSE(widget<QPushButton>("ButtonHangup")->isEnabled());
    expectLines(QStringLiteral("connected-call"), memoLines());
}

TEST_F(FormCall, BusyRunsTheHangupHandlerByItself)
{
    ASSERT_TRUE(createForm());
    nvLine()->Device()->setIdleDelay(0);
    activateAndDial(QStringLiteral("5550101"));
    ASSERT_TRUE(waitForLine(QStringLiteral("nvLine1.OnCallEnd")));
    expectLines(QStringLiteral("busy-call"), memoLines());

    // A second hang-up on the idle call only says so (the button is disabled by now, so
    // its handler is run directly).
    EXPECT_FALSE(widget<QPushButton>("ButtonHangup")->isEnabled());
    const qsizetype before = memoLines().size();
    m_form->dialer()->ButtonHangupClick();
    EXPECT_EQ(memoLines().mid(before), QStringList({"nvLine.Hangup"}));
}

TEST_F(FormCall, FarEndDisconnectRunsTheHangupHandler)
{
    ASSERT_TRUE(createForm());
    nvLine()->Device()->setIdleDelay(0);
    activateAndDial(QStringLiteral("5550100"));
    ASSERT_TRUE(waitForLine(QStringLiteral("nvLine1.OnConnectedID")));
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("hangup"), {{"line", 1}}).value("ok").toBool());
    ASSERT_TRUE(waitForLine(QStringLiteral("nvLine1.OnCallEnd")));
    const QStringList lines = memoLines();
    const qsizetype disconnected = lines.indexOf(QStringLiteral("nvLine1.OnDisconnected"));
    ASSERT_GE(disconnected, 0);
    EXPECT_EQ(lines.mid(disconnected),
              QStringList({"nvLine1.OnDisconnected", "\tCall.DisconnectMode = LINEDISCONNECTMODE_NORMAL",
                           "nvLine.Hangup", "nvLine1.OnIdle", "nvLine1.OnCallEnd"}));
}
