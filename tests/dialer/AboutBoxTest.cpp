// The information dialog: what it says, and what its buttons open.

#include "DialerHarness.h"

#include <TnvVantage.h>

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

class AboutBox : public DialerHarness {};

} // namespace

TEST_F(AboutBox, ButtonsOpenTheManualTheSiteTheSampleAndMail)
{
    TFormAboutBox about;
    about.show();
    struct Case {
        const char* button;
        QUrl url;
    };
    const Case cases[] = {
        {"ButtonHelp", QUrl::fromLocalFile(TnvVantage::HelpFilePath())},
        {"ButtonWebSite", QUrl(QStringLiteral("https://linkora.example.org/"))},
        {"ButtonSampleProgram", QUrl(QStringLiteral("https://linkora.example.org/samples/nvringfast/"))},
        {"ButtonEMail", QUrl(QStringLiteral("mailto:support@linkora.example.org?subject=nvRingfast"))},
    };
    // The build tree holds the manual where an installed program finds it.
    ASSERT_TRUE(QFileInfo::exists(TnvVantage::HelpFilePath())) << TnvVantage::HelpFilePath().toStdString();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        m_host.opened.clear();
        auto* button = about.findChild<QPushButton*>(QLatin1String(c.button));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->toolTip().isEmpty());
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(m_host.opened.size(), 1);
        EXPECT_EQ(m_host.opened.first(), c.url);
        EXPECT_TRUE(m_host.prompts.isEmpty());
        // Nothing opened the dialog away.
        EXPECT_TRUE(about.isVisible());
    }
}

TEST_F(AboutBox, AFailedOpenIsToldToTheUser)
{
    TFormAboutBox about;
    m_host.openSucceeds = false;
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("ButtonWebSite")), Qt::LeftButton);
    ASSERT_EQ(m_host.prompts.size(), 1);
    EXPECT_TRUE(m_host.prompts.first().text.contains(QStringLiteral("https://linkora.example.org/")));
}

TEST_F(AboutBox, NamesTheProgramAndStartsWithContinue)
{
    TFormAboutBox about;
    about.show();
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("LabelProgramName"))->text(), QStringLiteral("nvRingfast"));
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("LabelHowToUse"))->text().contains(QStringLiteral("Dial")));
    EXPECT_FALSE(about.findChild<QLabel*>(QStringLiteral("ImageProgramIcon"))->pixmap().isNull());
    QPushButton* close = about.ButtonClose();
    EXPECT_EQ(close->text(), QStringLiteral("Continue"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("Continue to Sample Program"));
    screenshot(&about, QStringLiteral("about-box"));
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("Close Program and Exit"));
}
