// The line inspector window on the offscreen platform, following a line control on the
// simulated exchange: a whole call state by state, the trees, the transfer rows, the
// error indicator, the terminal modes, placement, closing and destroying mid-call, and
// the Log tab's copy and print.

#include "LineVantageHarness.h"
#include "SplitPanesCheck.h"

#include <TapiConstants.h>
#include <TestControl.h>
#include <TnvCallParametersBox.h>
#include <TnvCallerIDPanel.h>
#include <TnvLineAddressPage.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLineInfoPage.h>
#include <TnvLineJoinPage.h>
#include <TnvLineTerminalPage.h>
#include <TnvLogPage.h>
#include <TnvNotation.h>
#include <TnvQtHostServices.h>
#include <TnvTreeRows.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QTabBar>
#include <QTest>
#include <QTabWidget>
#include <QTimer>
#include <ServiceControl.h>
#include <QJsonObject>
#include <QToolButton>

#include <bit>
#include <functional>
#include <set>

namespace {

using Art = TnvLineVantageArt;

QString hexText(quint32 value)
{
    return TnvNotation::hexText(value);
}

// The picture the call group must show for a state.
Art::Picture expectedPicture(quint32 state)
{
    switch (state) {
    case LINECALLSTATE_OFFERING:
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
    case LINECALLSTATE_RINGBACK:
    case LINECALLSTATE_BUSY:
    case LINECALLSTATE_SPECIALINFO:
    case LINECALLSTATE_PROCEEDING: return Art::OffRed;
    case LINECALLSTATE_CONNECTED: return Art::OffGreen;
    case LINECALLSTATE_ONHOLD:
    case LINECALLSTATE_CONFERENCED:
    case LINECALLSTATE_ONHOLDPENDCONF:
    case LINECALLSTATE_ONHOLDPENDTRANSFER: return Art::OffYellow;
    case LINECALLSTATE_DISCONNECTED: return Art::OnRed;
    default: return Art::OnGray;
    }
}

class LineVantage : public LineVantageHarness {};

// Counts the paint events each widget receives.
class PaintCounter : public QObject {
public:
    PaintCounter() { QApplication::instance()->installEventFilter(this); }
    ~PaintCounter() override { QApplication::instance()->removeEventFilter(this); }

    int of(QObject* widget) const { return m_paints.value(widget); }
    // Asks widget to repaint and waits until it has.
    bool repaints(QWidget* widget)
    {
        const int before = of(widget);
        widget->update();
        return waitUntil([&] { return of(widget) > before; });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints[watched];
        return QObject::eventFilter(watched, event);
    }

private:
    QHash<QObject*, int> m_paints;
};

} // namespace

TEST_F(LineVantage, AWholeCallShowsEachStateInTheCallGroupTabAndTree)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("nvLine - Norvane Vantage"));
    EXPECT_EQ(w->PageControl1->currentWidget(), w->logPage);
    EXPECT_EQ(w->PageControl1->tabText(TnvLineVantage::PageCall), QStringLiteral("Call (0)"));
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageCall), Art::PhoneGrey);
    // Hidden areas catch up when shown; bring them all up to date to read them.
    w->flushTrees();
    EXPECT_EQ(w->callPage->ComboBoxCall->count(), 1);
    EXPECT_EQ(w->callPage->ComboBoxCall->currentText(), QStringLiteral("00000000"));
    ASSERT_NE(findRow(w->callPage->TreeViewCallDetails, QStringLiteral("Handle = ")), nullptr);
    EXPECT_EQ(findRow(w->callPage->TreeViewCallDetails, QStringLiteral("Handle = "))->text(0),
              QStringLiteral("Handle = No call [00000000]"));
    EXPECT_EQ(w->GroupBoxDevice->title(), QStringLiteral("Device.ID = %1    Device.Count = %2")
                                              .arg(m_line->Device()->ID())
                                              .arg(m_line->Device()->Count()));
    EXPECT_EQ(w->ComboBoxDevice->count(), m_line->Device()->Count());
    EXPECT_EQ(w->ComboBoxDevice->currentIndex(), m_line->Device()->ID());
    EXPECT_TRUE(w->SpeedButtonDeviceActive->isChecked());

    // The call's areas in front, so that every refresh writes them at once.
    const auto callInFront = [&] {
        w->PageControl1->setCurrentIndex(TnvLineVantage::PageCall);
        w->callPage->PageControlCall->setCurrentIndex(4);
    };
    callInFront();
    m_snapshots.clear();
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    const HCALL handle = m_line->Call()->Handle();
    const QString handleHex = TnvNotation::hex8(handle);
    // The Features row and its children as the call has them now.
    QTreeWidgetItem* features = w->callPage->TreeViewCallDetails->topLevelItem(0)->child(10);
    EXPECT_EQ(features->text(0), QStringLiteral("Features = ") + hexText(m_line->Call()->Features()));
    EXPECT_EQ(features->childCount(), std::popcount(m_line->Call()->Features()));
    EXPECT_EQ(features->child(0)->text(0), CallFeatureText(m_line->Call()->Features() & -m_line->Call()->Features()));

    // Every page as a person sees it during a connected call, at the first size and larger.
    for (int page = 0; page < w->PageControl1->count(); ++page) {
        w->PageControl1->setCurrentIndex(page);
        QApplication::processEvents();
        screenshot(w, QStringLiteral("line-vantage-%1").arg(page));
    }
    w->PageControl1->setCurrentIndex(TnvLineVantage::PageCall);
    const char* const callPages[] = {"control", "callerid", "digits", "parameters", "properties"};
    for (int page = 1; page < 5; ++page) {
        w->callPage->PageControlCall->setCurrentIndex(page);
        QApplication::processEvents();
        screenshot(w, QStringLiteral("line-vantage-call-%1").arg(QLatin1String(callPages[page])));
    }
    w->callPage->PageControlCall->setCurrentIndex(0);
    w->PageControl1->setCurrentIndex(TnvLineVantage::PageAddress);
    w->addressPage->PageControlAddress->setCurrentIndex(1);
    QApplication::processEvents();
    screenshot(w, QStringLiteral("line-vantage-address-forward"));
    w->addressPage->PageControlAddress->setCurrentIndex(0);
    w->resize(640, 520);
    w->PageControl1->setCurrentIndex(TnvLineVantage::PageCall);
    QApplication::processEvents();
    screenshot(w, QStringLiteral("line-vantage-call-resized"));
    w->PageControl1->setCurrentIndex(TnvLineVantage::PageInfo);
    QApplication::processEvents();
    screenshot(w, QStringLiteral("line-vantage-misc-resized"));
    callInFront();

    // The far end hangs up, then this end.
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("hangup"), {{"line", 1}}).value("ok").toBool());
    ASSERT_TRUE(waitForState(LINECALLSTATE_DISCONNECTED));
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
    const CallSnapshot ended = m_snapshots.back();

    // A busy number: the far end disconnects.
    const size_t firstCall = m_snapshots.size();
    m_line->Call()->setPhoneNumber(QStringLiteral("5550101"));
    m_line->Call()->Dial();
    ASSERT_TRUE(waitForState(LINECALLSTATE_BUSY));
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_snapshots.size() > firstCall && m_line->Call()->Count() == 0; }));

    std::set<quint32> seen;
    for (size_t i = 0; i < m_snapshots.size(); ++i) {
        const CallSnapshot& s = m_snapshots[i];
        SCOPED_TRACE(CallStateText(s.state).toStdString());
        EXPECT_EQ(s.visiblePictures, 1);
        EXPECT_EQ(s.picture, expectedPicture(s.state));
        if (s.state == 0 || s.state == LINECALLSTATE_IDLE)
            continue;
        seen.insert(s.state);
        EXPECT_EQ(s.tabText, QStringLiteral("Call (1)"));
        EXPECT_EQ(s.tabIcon, Art::PhoneGreen);
        const QString shown = i < firstCall ? handleHex : s.handles.value(1);
        EXPECT_EQ(s.handles, QStringList({QStringLiteral("00000000"), shown}));
        EXPECT_EQ(s.selected, shown);
        EXPECT_TRUE(s.rows.contains(QStringLiteral("State = ") + CallStateText(s.state) + hexText(s.state)));
        EXPECT_TRUE(s.rows.contains(QStringLiteral("Handle = [") + shown + QLatin1Char(']')));
    }
    EXPECT_TRUE(seen.count(LINECALLSTATE_CONNECTED));
    EXPECT_TRUE(seen.count(LINECALLSTATE_DISCONNECTED));
    EXPECT_TRUE(seen.count(LINECALLSTATE_BUSY));
    EXPECT_TRUE(seen.count(LINECALLSTATE_DIALTONE) || seen.count(LINECALLSTATE_DIALING) || seen.count(LINECALLSTATE_RINGBACK));

    // Trees written while the window held its painting back paint again afterwards.
    ASSERT_TRUE(waitUntil([&] { return w->PageControl1->updatesEnabled(); }));
    for (QTreeWidget* tree : w->findChildren<QTreeWidget*>())
        EXPECT_TRUE(tree->updatesEnabled()) << tree->objectName().toStdString();

    for (const CallSnapshot& last : {ended, m_snapshots.back()}) {
    EXPECT_EQ(last.tabText, QStringLiteral("Call (0)"));
    EXPECT_EQ(last.tabIcon, Art::PhoneGrey);
    EXPECT_EQ(last.handles, QStringList({QStringLiteral("00000000")}));
    EXPECT_EQ(last.selected, QStringLiteral("00000000"));
    EXPECT_TRUE(last.rows.contains(QStringLiteral("Handle = No call [00000000]")));
    EXPECT_EQ(last.picture, Art::OnGray);
    }
}

// The window paints when it first shows and goes on painting after refreshes that
// change the control (another device chosen in the list, a call), without a resize.
TEST_F(LineVantage, WindowPaintsWhenShownAndAfterRefreshes)
{
    PaintCounter paints;
    makeLine();
    RecordingLineVantage* w = openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_TRUE(waitUntil([&] { return paints.of(w->logPage->memo()->viewport()) > 0; }));
    ASSERT_GE(w->ComboBoxDevice->count(), 2);

    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"device chosen", [&] { w->ComboBoxDevice->setCurrentIndex(1); }},
        {"first device again", [&] { w->ComboBoxDevice->setCurrentIndex(0); }},
        {"opened", [&] { w->SpeedButtonDeviceActive->click(); }},
        {"dialled", [&] { ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED)); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        // A repaint asked for just before the change is handled while the change is.
        w->PageControl1->tabBar()->update();
        change();
        EXPECT_TRUE(paints.repaints(w->PageControl1->tabBar()));
        EXPECT_TRUE(paints.repaints(w->GroupBoxDevice));
        // Another tab shows its page.
        QWidget* next = w->PageControl1->widget((w->PageControl1->currentIndex() + 1) % w->PageControl1->count());
        const int before = paints.of(next);
        w->PageControl1->setCurrentWidget(next);
        EXPECT_TRUE(waitUntil([&] { return paints.of(next) > before; }));
    }
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
}

TEST_F(LineVantage, TreePagesShowTheirRowsWholeAndTheDividerMoves)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    w->PageControl1->setCurrentWidget(w->callPage);
    w->callPage->PageControlCall->setCurrentWidget(w->callPage->callerID);
    expectUsableSplitPanes(w->callPage->callerID->SplitterCallerIDTab);
    w->PageControl1->setCurrentWidget(w->terminalPage);
    expectUsableSplitPanes(w->terminalPage->SplitterTerminalTab);
    w->PageControl1->setCurrentWidget(w->infoPage);
    expectUsableSplitPanes(w->infoPage->SplitterInfoTab);
}

TEST_F(LineVantage, RefreshesNeverRunTheWidgetsOwnActions)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    int signalled = 0;
    QStringList who;
    const auto count = [&](QObject* sender) {
        ++signalled;
        who << sender->objectName();
    };
    for (QComboBox* box : w->findChildren<QComboBox*>()) {
        QObject::connect(box, &QComboBox::currentIndexChanged, w, [&, box] { count(box); });
        QObject::connect(box, &QComboBox::editTextChanged, w, [&, box] { count(box); });
    }
    for (QLineEdit* edit : w->findChildren<QLineEdit*>()) {
        if (!qobject_cast<QComboBox*>(edit->parent()))
            QObject::connect(edit, &QLineEdit::textChanged, w, [&, edit] { count(edit); });
    }
    for (QAbstractButton* button : w->findChildren<QAbstractButton*>())
        QObject::connect(button, &QAbstractButton::toggled, w, [&, button] { count(button); });

    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    m_line->Transfer()->setPhoneNumber(QStringLiteral("5550199"));
    m_line->Conference()->setPhoneNumber(QStringLiteral("5550198"));
    m_line->Transfer()->setPrimaryCall(m_line->Call()->Handle());
    m_line->Call()->Parameters()->setBearerMode(2);
    m_line->Address()->Forward()->Parameters()->setFlags(4);
    m_line->Call()->CallerID()->setMaskNumber(QStringLiteral("000 000"));
    m_line->Call()->MonitorSilence()->setDuration(1234);
    m_line->Vantage()->Log()->setCount(60);
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
    EXPECT_EQ(signalled, 0) << who.join(QLatin1Char(' ')).toStdString();

    // What was written did arrive.
    EXPECT_EQ(w->transferPage->EditPhoneNumber->text(), QStringLiteral("5550199"));
    EXPECT_EQ(w->conferencePage->EditPhoneNumber->text(), QStringLiteral("5550198"));
    EXPECT_EQ(w->callPage->parameters->EditBearerMode->text(), QStringLiteral("00000002"));
    EXPECT_EQ(w->addressPage->parameters->EditFlags->text(), QStringLiteral("00000004"));
    EXPECT_EQ(w->callPage->callerID->parties[TnvCallerID::Caller].mask->text(), QStringLiteral("000 000"));
    EXPECT_EQ(w->callPage->EditMonitorSilenceDuration->text(), QStringLiteral("1234"));
}

TEST_F(LineVantage, FlagNodesAreRebuiltOnlyWhenTheirValueChanges)
{
    TestControl control;
    QTreeWidget tree;
    const auto write = [&](quint32 value) {
        TnvTreeRows rows(&tree, control.Vantage());
        QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Root"), true);
        rows.flags(root, QStringLiteral("Flags"), value, CallPartyIDText, 0x80, 1);
        rows.timeRow(root, QStringLiteral("Began"), QDateTime());
        return root->child(0);
    };
    QTreeWidgetItem* node = write(0);
    EXPECT_EQ(node->text(0), QStringLiteral("Flags = [00000000]"));
    EXPECT_EQ(node->childCount(), 0);
    EXPECT_EQ(tree.topLevelItem(0)->child(1)->text(0), QStringLiteral("Began = <unavailable>"));

    node = write(5);
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(node->text(0), QStringLiteral("Flags = [00000005]"));
    ASSERT_EQ(node->childCount(), 2);
    EXPECT_EQ(node->child(0)->text(0), CallPartyIDText(1));
    EXPECT_EQ(node->child(1)->text(0), CallPartyIDText(4));

    node->setExpanded(true);
    QTreeWidgetItem* firstChild = node->child(0);
    tree.setCurrentItem(firstChild);
    EXPECT_EQ(write(5), node);
    EXPECT_EQ(node->child(0), firstChild);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(tree.currentItem(), firstChild);
}

TEST_F(LineVantage, CallStatePicturesFollowTheirTable)
{
    struct Case {
        quint32 state;
        Art::Picture group;
        Art::Picture row;
    };
    const Case cases[] = {
        {0, Art::OnGray, Art::OnGray},
        {LINECALLSTATE_IDLE, Art::OnGray, Art::OnGray},
        {LINECALLSTATE_ACCEPTED, Art::OnGray, Art::OnGray},
        {LINECALLSTATE_UNKNOWN, Art::OnGray, Art::OnGray},
        {0x12345, Art::OnGray, Art::OnGray},
        {LINECALLSTATE_OFFERING, Art::OffRed, Art::OffRed},
        {LINECALLSTATE_SPECIALINFO, Art::OffRed, Art::OffRed},
        {LINECALLSTATE_PROCEEDING, Art::OffRed, Art::OnGray},
        {LINECALLSTATE_CONNECTED, Art::OffGreen, Art::OffGreen},
        {LINECALLSTATE_ONHOLDPENDTRANSFER, Art::OffYellow, Art::OffYellow},
        {LINECALLSTATE_CONFERENCED, Art::OffYellow, Art::OffYellow},
        {LINECALLSTATE_DISCONNECTED, Art::OnRed, Art::OnRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(Art::pictureFor(c.state), c.group);
        EXPECT_EQ(Art::pictureFor(c.state, true), c.row);
    }
}

TEST_F(LineVantage, TransferRowsAndTabIconFollowTheirCalls)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageTransfer), Art::Lamp);
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    const HCALL handle = m_line->Call()->Handle();

    m_line->Transfer()->setPrimaryCall(handle);
    EXPECT_EQ(w->transferPage->ComboBoxPrimaryCall->currentText(), TnvNotation::hex8(handle));
    EXPECT_EQ(w->transferPage->rowPicture(0), Art::OffGreen);
    EXPECT_EQ(w->transferPage->rowPicture(1), Art::OnGray);
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageTransfer), Art::LampRing);

    w->RefreshTransfer(0);
    EXPECT_EQ(w->transferPage->rowPicture(0), Art::OnGray);
    // A handle no row holds repaints nothing; the row's own handle does.
    w->RefreshTransfer(int(handle + 1));
    EXPECT_EQ(w->transferPage->rowPicture(0), Art::OnGray);
    w->RefreshTransfer(int(handle));
    EXPECT_EQ(w->transferPage->rowPicture(0), Art::OffGreen);
    // A row emptied (the consultation call gone after a completed transfer) shows no call.
    m_line->Transfer()->setConsultCall(handle);
    EXPECT_EQ(w->transferPage->rowPicture(1), Art::OffGreen);
    m_line->Transfer()->setConsultCall(0);
    EXPECT_EQ(w->transferPage->rowPicture(1), Art::OnGray);

    m_line->Transfer()->setPrimaryCall(0);
    EXPECT_EQ(w->transferPage->ComboBoxPrimaryCall->currentText(), QString());
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageTransfer), Art::Lamp);
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
}

TEST_F(LineVantage, ReceivedDigitBoxShowsTheLastDigitOnly)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550109"), LINECALLSTATE_CONNECTED));
    m_line->Call()->MonitorDigits()->setActive(true);
    ASSERT_TRUE(m_line->Call()->MonitorDigits()->Active());
    EXPECT_EQ(w->callPage->EditCDGOnDigitReceived->text(), QString());
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("digits"), {{"line", 1}, {"digits", "12#4"}}).value("ok").toBool());
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->MonitorDigits()->Received() == QLatin1String("12#4"); }));
    EXPECT_EQ(w->callPage->EditCDGOnDigitReceived->text(), QStringLiteral("4"));
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
}

TEST_F(LineVantage, ErrorsLightTheLogTabAndWarningsDoNot)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    auto* errors = w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonErrors"));
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageLog), Art::WarningGrey);
    EXPECT_FALSE(errors->isEnabled());

    m_line->ReportResult(true, qint32(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageLog), Art::WarningGrey);
    EXPECT_FALSE(errors->isEnabled());

    // An operation that fails: hanging up with no call.
    m_line->Call()->Hangup();
    ASSERT_NE(m_line->Error()->Number(), 0);
    // The Misc. page was behind the Log page; shown, its tree catches up.
    w->PageControl1->setCurrentWidget(w->infoPage);
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageLog), Art::WarningRed);
    EXPECT_TRUE(errors->isEnabled());
    QTreeWidgetItem* number = findRow(w->infoPage->TreeViewInfo, QStringLiteral("Number = "));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text(0), QStringLiteral("Number = %1").arg(m_line->Error()->Number()));
    w->selectLogPage();
    QApplication::processEvents();
    screenshot(w, QStringLiteral("line-vantage-log-error"));

    errors->click();
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageLog), Art::WarningGrey);
    EXPECT_FALSE(errors->isEnabled());
    m_line->ReportResult(false, qint32(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageLog), Art::WarningRed);
    w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonClear"))->click();
    EXPECT_EQ(w->tabIconIndex(TnvLineVantage::PageLog), Art::WarningGrey);
}

TEST_F(LineVantage, TerminalModeBoxesStillReactAfterARefresh)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    w->RefreshTerminal();
    w->RefreshTerminal();
    for (int i = 0; i < TnvLineTerminalPage::ModeCount; ++i) {
        QCheckBox* box = w->terminalPage->modeBoxes[std::size_t(i)];
        EXPECT_EQ(box->isChecked(), bool(m_line->Terminal()->ActiveModes() & (1u << i)));
        EXPECT_EQ(box->isEnabled(), bool(m_line->Terminal()->AvailableModes() & (1u << i)));
        box->setEnabled(true);
        int clicks = 0;
        QObject::connect(box, &QCheckBox::clicked, w, [&] { ++clicks; });
        box->click();
        EXPECT_EQ(clicks, 1) << i;
    }
}

TEST_F(LineVantage, DevEnvRewritesCaptionsAndHints)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    EXPECT_TRUE(w->devEnvItems[1]->isChecked());
    w->devEnvItems[0]->trigger();
    TnvVantage* vantage = m_line->Vantage();
    EXPECT_EQ(vantage->DevEnv(), deCppBuilder);
    EXPECT_EQ(w->GroupBoxDevice->title(), vantage->Notate(QStringLiteral("Device.ID = %1    Device.Count = %2")
                                                              .arg(m_line->Device()->ID())
                                                              .arg(m_line->Device()->Count())));
    EXPECT_EQ(w->ComboBoxDevice->toolTip(), vantage->Notate(QStringLiteral("nvLine~Device.Name")));
    EXPECT_EQ(w->infoPage->LabelCommDeviceClass->text(), vantage->Notate(QStringLiteral("Comm.DeviceClass")));
    EXPECT_NE(w->callPage->TreeViewCallDetails->toolTip(), QStringLiteral("nvLine.Call Status"));
}

TEST_F(LineVantage, ClosingMidCallReopeningAndDestroyingTheControlAreSafe)
{
    makeLine();
    RecordingLineVantage* first = openWindow();
    first->setGeometry(60, 50, 600, 480);
    QApplication::processEvents();
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));

    // Closed by its title bar mid-call: the control stops calling into it at once.
    QPointer<QWidget> closed = first;
    first->close();
    EXPECT_FALSE(m_line->Vantage()->Visible());
    EXPECT_EQ(m_line->Vantage()->window(), nullptr);
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0 && closed.isNull(); }));

    // Reopened where it was, and it follows the next call.
    RecordingLineVantage* second = openWindow();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->size(), QSize(600, 480));
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    second->flushTrees();
    EXPECT_EQ(second->callPage->shownPicture(), Art::OffGreen);
    EXPECT_EQ(second->PageControl1->tabText(TnvLineVantage::PageCall), QStringLiteral("Call (1)"));

    // The control goes mid-call with its window open; the window goes with it.
    QPointer<QWidget> open = second;
    m_line.reset();
    ASSERT_TRUE(waitUntil([&] { return open.isNull(); }));
}

TEST_F(LineVantage, LogTabCopiesAndPrintsThroughThePrintDialog)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    m_line->Log()->Add(true, QStringLiteral("MARKER LINE FOR THE CLIPBOARD"));
    w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonCopy"))->click();
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("MARKER LINE FOR THE CLIPBOARD")));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("log.pdf"));
    QPrinter* printer = TnvQtHostServices::current()->printer();
    const auto printToFile = [&] {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
    };
    printToFile();
    int dialogs = 0;
    QTimer decline;
    QObject::connect(&decline, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++dialogs;
            dialog->reject();
        }
    });
    decline.start(10);
    // The button asks through the real print dialog; declined, nothing is printed.
    w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonPrinter"))->click();
    decline.stop();
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    // Confirmed, the log goes to the printer, here a PDF file.
    printToFile();
    ASSERT_TRUE(w->logPage->print(false));
    EXPECT_GT(QFileInfo(pdf).size(), 0);

    // A printer that cannot take the job: the person is told so.
    printer->setOutputFileName(dir.filePath(QStringLiteral("missing/folder/log.pdf")));
    QString told;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told = box->text();
            box->close();
        }
    });
    answer.start(10);
    EXPECT_FALSE(w->logPage->print(false));
    answer.stop();
    EXPECT_TRUE(told.contains(QStringLiteral("could not be printed"))) << told.toStdString();
}

TEST_F(LineVantage, CallerIDTreeSkipsAMissingRootAndKeepsTheOthersCurrent)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    w->PageControl1->setCurrentWidget(w->callPage);
    w->callPage->PageControlCall->setCurrentWidget(w->callPage->callerID);
    QTreeWidget* tree = w->callPage->callerID->TreeViewCallerID;
    ASSERT_EQ(tree->topLevelItemCount(), 5);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("CalledID"));
    delete tree->takeTopLevelItem(1); // CallerID

    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    QTreeWidgetItem* called = tree->topLevelItem(0);
    ASSERT_EQ(called->childCount(), 5);
    EXPECT_EQ(called->child(2)->text(0), QStringLiteral("Name = '") + m_line->Call()->CalledID()->Name() + QLatin1Char('\''));
    EXPECT_EQ(called->child(1)->text(0), QStringLiteral("Flags = ") + hexText(m_line->Call()->CalledID()->Flags()));
    EXPECT_EQ(called->child(1)->childCount(), std::popcount(m_line->Call()->CalledID()->Flags()));
    EXPECT_EQ(tree->topLevelItemCount(), 4);
    m_line->Call()->Hangup();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
}

TEST_F(LineVantage, MovingAndResizingAreStoredInTheSettings)
{
    makeLine();
    RecordingLineVantage* w = openWindow();
    w->setGeometry(80, 70, 620, 500);
    QApplication::processEvents();
    TnvVantage* vantage = m_line->Vantage();
    EXPECT_EQ(vantage->Width(), 620);
    EXPECT_EQ(vantage->Height(), 500);
    EXPECT_EQ(vantage->Left(), w->geometry().left());
    EXPECT_EQ(vantage->Top(), w->geometry().top());
}
