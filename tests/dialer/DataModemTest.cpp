// The data modem of the simulated exchange refuses the voice media mode: the dialer
// reopens it with no call privilege and says so, once per activation.

#include "DialerHarness.h"

#include <TnvDialer.h>
#include <TnvLine.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

class DataModem : public DialerHarness {
protected:
    void chooseModem()
    {
        auto* devices = widget<QComboBox>("ComboBoxDevice");
        devices->setFocus();
        QTest::keyClick(devices, Qt::Key_Down);
        QTest::keyClick(devices, Qt::Key_Down);
        ASSERT_EQ(m_form->nvLine1()->Device()->ID(), 2);
        ASSERT_EQ(m_form->nvLine1()->Device()->Name(), QStringLiteral("Linkora Simulated Data Modem"));
    }
};

} // namespace

TEST_F(DataModem, MessageTextIsTheOneGiven)
{
    const QString text = TnvDialer::limitedFunctionalityText(QStringLiteral("X"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Linkora has detected that your device is a (X) DATA modem")));
    // The two phrases meet with a doubled blank, as given.
    EXPECT_TRUE(text.contains(QStringLiteral("allow you to  continue")));
    EXPECT_TRUE(text.contains(QStringLiteral("able to:\r\n\r\n\tDIAL\r\n\r\nIf you think")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("topic \"Working with Modems\" in the Appendix of the Linkora help file.")));
}

TEST_F(DataModem, ModemOpensWithoutCallPrivilegeAndSaysSoOncePerActivation)
{
    ASSERT_TRUE(createForm());
    chooseModem();
    auto* active = widget<QCheckBox>("CheckBoxActive");
    QTest::mouseClick(active, Qt::LeftButton);

    TnvLine* line = m_form->nvLine1();
    ASSERT_TRUE(line->Device()->Active()) << memoLines().join('\n').toStdString();
    EXPECT_TRUE(line->Privilege()->None());
    EXPECT_TRUE(active->isChecked());
    EXPECT_TRUE(widget<QPushButton>("ButtonDial")->isEnabled());
    ASSERT_EQ(m_host.prompts.size(), 1);
    const QString text = TnvDialer::limitedFunctionalityText(QStringLiteral("Linkora Simulated Data Modem"));
    EXPECT_EQ(m_host.prompts.first().caption, QStringLiteral("Limited Functionality Device"));
    EXPECT_EQ(m_host.prompts.first().text, text);
    EXPECT_EQ(m_host.prompts.first().buttons, TnvPrompt::Ok);
    expectLines(QStringLiteral("data-modem"), memoLines());

    // Closed and opened again: it keeps no call privilege, so it opens at once, untold.
    QTest::mouseClick(active, Qt::LeftButton);
    EXPECT_FALSE(line->Device()->Active());
    QTest::mouseClick(active, Qt::LeftButton);
    EXPECT_TRUE(line->Device()->Active());
    EXPECT_EQ(m_host.prompts.size(), 1);

    // Choosing the device again asks for the privileges again, and the user is told again.
    auto* devices = widget<QComboBox>("ComboBoxDevice");
    QTest::keyClick(devices, Qt::Key_Up);
    QTest::keyClick(devices, Qt::Key_Down);
    ASSERT_EQ(line->Device()->ID(), 2);
    EXPECT_FALSE(line->Privilege()->None());
    QTest::mouseClick(active, Qt::LeftButton);
    EXPECT_TRUE(line->Device()->Active());
    EXPECT_EQ(m_host.prompts.size(), 2);
}

TEST_F(DataModem, VoiceLineSaysNothing)
{
    ASSERT_TRUE(createForm());
    QTest::mouseClick(widget<QCheckBox>("CheckBoxActive"), Qt::LeftButton);
    EXPECT_TRUE(m_form->nvLine1()->Device()->Active());
    EXPECT_FALSE(m_form->nvLine1()->Privilege()->None());
    EXPECT_TRUE(m_host.prompts.isEmpty());
}
