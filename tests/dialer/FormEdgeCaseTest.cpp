// The dialer window's edge cases: no devices, an empty number, changing device while
// active, the device changed elsewhere, the information dialog at the first show and on
// closing.

#include "DialerHarness.h"

#include "EventLoop.h"

#include <ServiceControl.h>
#include <TnvInspector.h>
#include <TnvLine.h>
#include <TnvVantageWindow.h>

#include <QCheckBox>
#include <QComboBox>
#include <QJsonObject>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

class FormEdgeCase : public DialerHarness {};

QJsonObject failOnce(const char* function)
{
    return {{"function", QLatin1String(function)}, {"code", "0x80000048"}, {"count", 10}};
}

} // namespace

TEST_F(FormEdgeCase, NoDevicesLeavesTheListEmptyAndActiveUnchecked)
{
    // Keeps the service up, so that both ways of initialising can be made to fail (loading
    // and the creation handler each try).
    TnvLine keeper;
    keeper.setEnabled(true);
    for (const char* function : {"lineInitializeExA", "lineInitialize"})
        ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("fail"), failOnce(function)).value("ok").toBool());
    ASSERT_TRUE(createForm());
    EXPECT_EQ(widget<QComboBox>("ComboBoxDevice")->count(), 0);
    EXPECT_EQ(widget<QComboBox>("ComboBoxDevice")->currentText(), QString());

    widget<QWidget>("Memo1")->setFocus();
    const qsizetype before = memoLines().size();
    QTest::mouseClick(widget<QCheckBox>("CheckBoxActive"), Qt::LeftButton);
    EXPECT_FALSE(widget<QCheckBox>("CheckBoxActive")->isChecked());
    EXPECT_FALSE(m_form->nvLine1()->Device()->Active());
    const QStringList added = memoLines().mid(before);
    ASSERT_FALSE(added.isEmpty());
    EXPECT_EQ(added.first(), QStringLiteral("nvLine1.Device.Active := True"));
    EXPECT_EQ(added.last(), QStringLiteral("\tError = ") + m_form->nvLine1()->Error()->Text());
    EXPECT_NE(m_form->nvLine1()->Error()->Number(), 0);
    // The check box's second click (unchecking) found the device inactive: nothing more.
    EXPECT_EQ(added.count(QStringLiteral("nvLine1.Device.Active := False")), 0);
    Telephony::serviceControl(QStringLiteral("clearfaults"));
}

TEST_F(FormEdgeCase, EmptyNumberStillDialsAndHangsUp)
{
    ASSERT_TRUE(createForm());
    QTest::mouseClick(widget<QCheckBox>("CheckBoxActive"), Qt::LeftButton);
    ASSERT_TRUE(m_form->nvLine1()->Device()->Active());
    const qsizetype before = memoLines().size();
    QTest::mouseClick(widget<QPushButton>("ButtonDial"), Qt::LeftButton);
    const QStringList added = memoLines().mid(before);
    ASSERT_GE(added.size(), 3);
    EXPECT_EQ(added.first(), QStringLiteral("Dialing []"));
    const qsizetype failed = added.indexOf(QStringLiteral("\tError Dialing = ") + m_form->nvLine1()->Error()->Text());
    ASSERT_GE(failed, 1) << added.join('\n').toStdString();
    EXPECT_EQ(added.mid(failed + 1), QStringList({"nvLine.Hangup"}));
    EXPECT_TRUE(widget<QPushButton>("ButtonDial")->isEnabled());
}

TEST_F(FormEdgeCase, ChangingDeviceWhileActiveClosesItFirst)
{
    ASSERT_TRUE(createForm());
    QTest::mouseClick(widget<QCheckBox>("CheckBoxActive"), Qt::LeftButton);
    ASSERT_TRUE(m_form->nvLine1()->Device()->Active());
    const qsizetype before = memoLines().size();
    auto* devices = widget<QComboBox>("ComboBoxDevice");
    devices->setFocus();
    QTest::keyClick(devices, Qt::Key_Down);
    EXPECT_EQ(devices->currentIndex(), 1);
    EXPECT_EQ(memoLines().mid(before),
              QStringList({"nvLine1.Device.Active := False", "nvLine1.Device.ID := 1"}));
    EXPECT_FALSE(m_form->nvLine1()->Device()->Active());
    EXPECT_EQ(m_form->nvLine1()->Device()->ID(), 1);
    EXPECT_FALSE(widget<QCheckBox>("CheckBoxActive")->isChecked());
    EXPECT_FALSE(widget<QPushButton>("ButtonDial")->isEnabled());
    EXPECT_TRUE(m_form->nvLine1()->Privilege()->Owner());
    EXPECT_TRUE(m_form->nvLine1()->Privilege()->Monitor());
}

TEST_F(FormEdgeCase, InformationDialogOpensOnceAtTheFirstShow)
{
    ASSERT_TRUE(createForm());
    EXPECT_EQ(m_aboutShownAtStart, 1);
    auto* close = m_about->findChild<QPushButton*>(QStringLiteral("ButtonClose"));
    // Dismissed once, its button now ends the program.
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("Close Program and Exit"));

    m_form->hide();
    m_form->show();
    m_form->activateWindow();
    QTest::qWait(50);
    EXPECT_FALSE(m_about->isVisible());
    EXPECT_EQ(m_aboutShownAtStart, 1);
}

TEST_F(FormEdgeCase, InfoButtonShowsTheDialogWithoutWaiting)
{
    ASSERT_TRUE(createForm());
    QTest::mouseClick(widget<QPushButton>("BitBtnInfo"), Qt::LeftButton);
    // Back here at once: the dialog is not modal.
    EXPECT_TRUE(m_about->isVisible());
    EXPECT_FALSE(m_about->isModal());
    auto* close = m_about->findChild<QPushButton*>(QStringLiteral("ButtonClose"));
    EXPECT_EQ(close->text(), QStringLiteral("Continue"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("Return to Sample Program"));
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(m_about->isVisible());
}

TEST_F(FormEdgeCase, ClosingTheWindowClosesTheDeviceAndShowsTheDialog)
{
    ASSERT_TRUE(createForm());
    QTest::mouseClick(widget<QCheckBox>("CheckBoxActive"), Qt::LeftButton);
    ASSERT_TRUE(m_form->nvLine1()->Device()->Active());
    bool dialogShown = false;
    QTimer::singleShot(0, m_about.get(), [&] {
        dialogShown = m_about->isVisible() && m_about->isModal();
        m_about->reject();
    });
    EXPECT_TRUE(m_form->close());
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(m_form->nvLine1()->Device()->Active());
}

TEST_F(FormEdgeCase, ClosingTheWindowClosesItsInspectorAndSaysTheProgramEnds)
{
    TnvInspector::setUp();
    ASSERT_TRUE(createForm());
    QTest::mouseClick(widget<QPushButton>("ButtonVantage"), Qt::LeftButton);
    QPointer<QWidget> inspector = dynamic_cast<QWidget*>(m_form->nvLine1()->Vantage()->window());
    ASSERT_TRUE(inspector && inspector->isVisible());
    int ended = 0;
    QObject::connect(m_form.get(), &TForm1::closed, m_form.get(), [&] { ++ended; });
    QTimer::singleShot(0, m_about.get(), [&] { m_about->reject(); });
    EXPECT_TRUE(m_form->close());
    // Left open, the inspector would keep the program running without its dialer.
    EXPECT_TRUE(!inspector || !inspector->isVisible());
    EXPECT_FALSE(m_form->nvLine1()->Vantage()->Visible());
    EXPECT_EQ(ended, 1);
}

// The device opened, closed or switched elsewhere (the inspector): the window's check box,
// buttons and list follow, so Dial is offered exactly when the device is open.
TEST_F(FormEdgeCase, CheckBoxButtonsAndListFollowTheDeviceChangedElsewhere)
{
    ASSERT_TRUE(createForm());
    TnvLineDevice* device = m_form->nvLine1()->Device();
    auto* active = widget<QCheckBox>("CheckBoxActive");
    auto* dial = widget<QPushButton>("ButtonDial");
    auto* devices = widget<QComboBox>("ComboBoxDevice");
    ASSERT_GE(devices->count(), 2);
    QTest::mouseClick(active, Qt::LeftButton);
    ASSERT_TRUE(device->Active());
    const qsizetype before = memoLines().size();

    struct Step {
        const char* what;
        std::function<void()> act;
        bool active;
        int id;
    };
    const std::vector<Step> steps = {
        {"another device", [&] { device->setID(1); }, false, 1},
        {"opened", [&] { device->setActive(true); }, true, 1},
        {"closed", [&] { device->setActive(false); }, false, 1},
        {"back to the first", [&] { device->setID(0); }, false, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        ASSERT_EQ(device->Active(), step.active);
        EXPECT_TRUE(waitUntil([&] { return active->isChecked() == step.active && devices->currentIndex() == step.id; }));
        EXPECT_EQ(dial->isEnabled(), step.active);
    }
    // Following writes nothing and does not act on the device again.
    EXPECT_EQ(memoLines().mid(before), QStringList());
    EXPECT_EQ(device->ID(), 0);
    EXPECT_FALSE(device->Active());
}
