// Driving the line control by hand through its inspector window on the simulated
// exchange: only the window's widgets are touched (clicks, typed keys, the focus
// moving away), and the control's properties and trace show what reached it.

#include "LineVantageHarness.h"
#include "ExpectedLines.h"
#include "ScriptedHost.h"

#include <TapiConstants.h>
#include <TnvAddress.h>
#include <TnvAddressForward.h>
#include <TnvLineAddressPage.h>
#include <TnvCall.h>
#include <TnvCallParameters.h>
#include <TnvCallParametersBox.h>
#include <TnvLineInfoPage.h>
#include <TnvLineTerminalPage.h>
#include <TnvNotation.h>
#include <TnvTAPI.h>
#include <TnvTerminal.h>
#include <TnvGatherDigits.h>
#include <TnvLineDevice.h>
#include <TnvLineJoinPage.h>
#include <TnvLineMenus.h>
#include <TnvMenuColumns.h>
#include <TnvConference.h>
#include <TnvLog.h>
#include <TnvVantage.h>
#include <TnvPopup.h>
#include <TnvTransfer.h>
#include <TnvMonitorSilence.h>

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QScrollArea>
#include <QRegularExpression>
#include <QMenu>
#include <QMenuBar>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

class LineCommands : public LineVantageHarness {
protected:
    // The window shown and active, so that the focus can move between its edits.
    RecordingLineVantage* openActiveWindow()
    {
        RecordingLineVantage* w = openWindow();
        if (!w)
            return nullptr;
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        return w;
    }

    // Types text into a cleared edit and leaves it for another widget.
    static void typeAndLeave(QLineEdit* edit, const QString& text, QWidget* next)
    {
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        next->setFocus(Qt::TabFocusReason);
    }

    // Compares the trace with a stored file; LINKORA_UPDATE_LOGS rewrites the file.
    static void expectLines(const QString& name, const QStringList& lines)
    {
        expectStoredLines(QStringLiteral(LINKORA_EXPECTED_LOGS "/") + name + QStringLiteral(".txt"), lines,
                          "LINKORA_UPDATE_LOGS");
    }

    // Types and confirms the Call page's number, then dials with button; true once answered.
    bool dialFromCallPage(RecordingLineVantage* w, QAbstractButton* button, const QString& number)
    {
        TnvLineCallPage* page = w->callPage;
        w->PageControl1->setCurrentWidget(page);
        typeAndLeave(page->EditPhoneNumber, number, page->EditHandoffApp);
        QTest::mouseClick(button, Qt::LeftButton);
        return waitForState(LINECALLSTATE_CONNECTED);
    }

    // Chooses the only call of a join page's primary drop-down with the keyboard.
    static void choosePrimaryCall(TnvLineJoinPage* page)
    {
        QComboBox* primary = page->ComboBoxPrimaryCall;
        primary->showPopup();
        ASSERT_EQ(primary->count(), 1);
        primary->view()->setCurrentIndex(primary->model()->index(0, 0));
        QTest::keyClick(primary->view(), Qt::Key_Return);
    }

    // Types a number into a join page and dials it without leaving the box; true once
    // the consultation call the page's operation names has answered.
    bool dialConsultation(TnvLineJoinPage* page, const QString& number, const std::function<HCALL()>& consult)
    {
        page->EditPhoneNumber->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(page->EditPhoneNumber, number);
        QTest::mouseClick(page->ButtonDial, Qt::LeftButton);
        return waitUntil([&] { return consult() && m_line->Call()->StateOf(consult()) == LINECALLSTATE_CONNECTED; });
    }

    // The trace from a line on, with the clock times that differ from run to run masked.
    QStringList traceFrom(qsizetype from) const
    {
        QStringList lines = m_line->Log()->Lines().mid(from);
        lines.replaceInStrings(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d")), QStringLiteral("hh:mm:ss"));
        return lines;
    }

    // The trace lines that mention any of the words, in order.
    QStringList traced(const QStringList& words) const
    {
        QStringList found;
        for (const QString& line : m_line->Log()->Lines()) {
            for (const QString& word : words) {
                if (line.contains(word)) {
                    found << word;
                    break;
                }
            }
        }
        return found;
    }
};

} // namespace

TEST_F(LineCommands, AWholeCallByHandThroughTheWindowAlone)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    w->PageControl1->setCurrentWidget(w->callPage);
    ASSERT_FALSE(m_line->Device()->Active());

    QTest::mouseClick(w->SpeedButtonDeviceActive, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return m_line->Device()->Active(); }));
    EXPECT_TRUE(w->SpeedButtonDeviceActive->isChecked());

    // The number is typed and never confirmed by leaving the box: Dial takes it anyway.
    TnvLineCallPage* page = w->callPage;
    page->EditPhoneNumber->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page->EditPhoneNumber, QStringLiteral("555-0100"));
    QTest::mouseClick(page->ButtonCallPhoneNumber, Qt::LeftButton);
    EXPECT_EQ(m_line->Call()->PhoneNumber(), QStringLiteral("555-0100"));
    ASSERT_TRUE(waitForState(LINECALLSTATE_CONNECTED));

    QTest::mouseClick(page->ButtonCallHold, Qt::LeftButton);
    ASSERT_TRUE(waitForState(LINECALLSTATE_ONHOLD));
    QTest::mouseClick(page->SpeedButtonCallUnhold, Qt::LeftButton);
    ASSERT_TRUE(waitForState(LINECALLSTATE_CONNECTED));
    QTest::mouseClick(page->ButtonCallHangup, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));

    const QStringList steps = {QStringLiteral("Device.Active"), QStringLiteral("Call.Dial"), QStringLiteral("Call.Hold"),
                               QStringLiteral("Call.Unhold"),   QStringLiteral("Call.Hangup")};
    QStringList order = traced(steps);
    order.removeDuplicates();
    EXPECT_EQ(order, steps) << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(LineCommands, DeviceButtonInvertsTheControlNotWhatItShows)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    // Switched off elsewhere; the button may still show it on.
    m_line->Device()->setActive(false);
    ASSERT_TRUE(waitUntil([&] { return !m_line->Device()->Active(); }));
    QTest::mouseClick(w->SpeedButtonDeviceActive, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return m_line->Device()->Active(); }));
    EXPECT_EQ(w->SpeedButtonDeviceActive->isChecked(), m_line->Device()->Active());
}

TEST_F(LineCommands, NumberEditsTakeZeroForTextsThatAreNoNumber)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvLineCallPage* page = w->callPage;
    w->PageControl1->setCurrentWidget(page);
    QWidget* away = page->EditHandoffApp;

    typeAndLeave(page->EditMonitorSilenceDuration, QStringLiteral("1500"), away);
    EXPECT_EQ(m_line->Call()->MonitorSilence()->Duration(), 1500);
    typeAndLeave(page->EditMonitorSilenceDuration, QStringLiteral("15oo"), away);
    EXPECT_EQ(m_line->Call()->MonitorSilence()->Duration(), 0);

    page->PageControlCall->setCurrentIndex(2);
    typeAndLeave(page->EditCGDCount, QStringLiteral("4"), page->EditCGDTerminate);
    EXPECT_EQ(m_line->Call()->GatherDigits()->Count(), 4);
    // A huge number reads as 0, which the control itself rejects and reports.
    typeAndLeave(page->EditCGDCount, QStringLiteral("99999999999"), page->EditCGDTerminate);
    EXPECT_EQ(m_line->Call()->GatherDigits()->Count(), 4);
    EXPECT_TRUE(m_line->Log()->Lines().join(QLatin1Char('\n')).contains(QStringLiteral("Call.GatherDigits.Count = 0")));
    typeAndLeave(page->EditCGDTerminate, QStringLiteral("#"), page->EditCGDCount);
    EXPECT_EQ(m_line->Call()->GatherDigits()->Terminate(), QStringLiteral("#"));
}

TEST_F(LineCommands, ATypedDeviceNameIsPassedAsNoEntryAndKeepsTheSelection)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    const int id = m_line->Device()->ID();
    w->ComboBoxDevice->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w->ComboBoxDevice, QStringLiteral("x"));
    EXPECT_EQ(m_line->Device()->ID(), id);
    EXPECT_TRUE(m_line->Log()->Lines().join(QLatin1Char('\n')).contains(QStringLiteral("Device.ID")));
}

TEST_F(LineCommands, SendToneWithNothingSelectedSendsNoTone)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvLineCallPage* page = w->callPage;
    page->ComboBoxSendTone->setCurrentIndex(-1);
    page->EditSendToneDuration->setText(QStringLiteral("300"));
    QTest::mouseClick(page->ButtonCallSendTone, Qt::LeftButton);
    QStringList lines = m_line->Log()->Lines().filter(QStringLiteral("Call.SendTone"));
    ASSERT_FALSE(lines.isEmpty()) << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.constFirst().contains(QStringLiteral("(00000000, 0)"))) << lines.constFirst().toStdString();
}

namespace {

QAction* action(QWidget* w, const char* name)
{
    return w->findChild<QAction*>(QLatin1String(name));
}

} // namespace

TEST_F(LineCommands, MainMenuHoldsItsTenItemsInOrder)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    QStringList titles;
    for (QAction* a : w->nvLineMainMenu->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("nvLine"), QStringLiteral("&Device"), QStringLiteral("&Call"),
                                   QStringLiteral("Comm"), QStringLiteral("Conference"), QStringLiteral("&Popup"),
                                   QStringLiteral("Privilege"), QStringLiteral("&Vantage"), QStringLiteral("Transfer"),
                                   QStringLiteral("&Help")}));
    EXPECT_EQ(w->menus->MenuPopupItems->items().size(), 41);
    EXPECT_NE(action(w, "MenuPopupOnCallIdle"), nullptr);

    // At the first size every menu has its place on the bar, none behind the overflow.
    QMenuBar* bar = w->nvLineMainMenu;
    for (QAction* a : bar->actions()) {
        const QRect place = bar->actionGeometry(a);
        EXPECT_FALSE(place.isEmpty()) << a->text().toStdString();
        EXPECT_TRUE(bar->rect().contains(place)) << a->text().toStdString();
    }
    for (QToolButton* button : bar->findChildren<QToolButton*>())
        EXPECT_FALSE(button->isVisible()) << button->objectName().toStdString();
}

TEST_F(LineCommands, PopupItemsStandInTwoColumnsAndKeepTheirMarks)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvMenuColumns* items = w->menus->MenuPopupItems;
    ASSERT_EQ(items->columns().size(), 2);
    EXPECT_EQ(items->columns().at(0).size(), 21);
    EXPECT_EQ(items->columns().at(1).constFirst()->text(), QStringLiteral("OnDisconnected"));
    EXPECT_EQ(items->columns().at(1).constLast()->text(), QStringLiteral("OnToneSent"));

    QMenu* menu = w->menus->MenuPopup;
    const bool idle = m_line->Popup()->OnIdle();
    menu->popup(w->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(waitUntil([menu] { return menu->isVisible(); }));
    const auto shown = [menu](const char* name) { return menu->findChild<QWidget*>(QLatin1String(name)); };
    QWidget* first = shown("MenuPopupOnAddressForward");
    QWidget* second = shown("MenuPopupOnDisconnected");
    QWidget* idleItem = shown("MenuPopupOnCallIdle");
    ASSERT_TRUE(first && second && idleItem);
    EXPECT_EQ(second->y(), first->y());
    EXPECT_GE(second->x(), first->x() + first->width());
    EXPECT_TRUE(menu->rect().contains(shown("MenuPopupOnToneSent")->geometry()));
    // A click closes the menu and flips the event's flag; the next opening shows it.
    QTest::mouseClick(idleItem, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([menu] { return !menu->isVisible(); }));
    EXPECT_EQ(m_line->Popup()->OnIdle(), !idle);
    menu->popup(w->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(waitUntil([menu] { return menu->isVisible(); }));
    EXPECT_EQ(action(w, "MenuPopupOnCallIdle")->isChecked(), !idle);
    // The keyboard walks the table: right from the first row reaches the second column.
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Right);
    ASSERT_TRUE(second->hasFocus());
    const bool disconnected = m_line->Popup()->OnDisconnected();
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(m_line->Popup()->OnDisconnected(), !disconnected);
    EXPECT_TRUE(waitUntil([menu] { return !menu->isVisible(); }));
}

TEST_F(LineCommands, HelpItemsGoThroughTheHostServices)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvHostServices& previous = TnvHostServices::instance();
    {
        ScriptedHost host;
        // Nothing opens a page: each item falls back to the help, which is missing here.
        host.openSucceeds = false;
        action(w, "MenuHelpAbout")->trigger();
        ASSERT_EQ(host.prompts.size(), 1);
        EXPECT_EQ(host.prompts.at(0).caption, QStringLiteral("About"));
        EXPECT_EQ(host.prompts.at(0).icon, TnvPrompt::Information);
        for (const char* name : {"MenuHelpHowToGetSupport", "MenuHelpNorvaneHomePage", "MenuHelpCheckWebForUpdates"}) {
            const qsizetype opened = host.opened.size();
            action(w, name)->trigger();
            EXPECT_GT(host.opened.size(), opened) << name;
        }
        EXPECT_EQ(host.prompts.size(), 4);
        action(w, "MenuHelpContents")->trigger();
        ASSERT_EQ(host.prompts.size(), 5);
        EXPECT_TRUE(host.prompts.constLast().text.startsWith(QStringLiteral("Unable to locate help")));
        EXPECT_EQ(action(w, "MenuHelpContents")->shortcut(), QKeySequence(Qt::Key_F1));
        // A page that opens asks nothing more.
        host.openSucceeds = true;
        const qsizetype opened = host.opened.size();
        action(w, "MenuHelpNorvaneHomePage")->trigger();
        EXPECT_EQ(host.prompts.size(), 5);
        EXPECT_EQ(host.opened.size(), opened + 1);
    }
    TnvHostServices::install(&previous);
}

TEST_F(LineCommands, MediaModeItemsAreBuiltOnceAndSetTheirSet)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvLineMenus* menus = w->menus;
    for (int i = 0; i < 2; ++i) {
        emit menus->MenuDevice->aboutToShow();
        emit menus->MenuCall->aboutToShow();
    }
    EXPECT_EQ(menus->MenuDeviceMediaMode->actions().size(), 15);
    EXPECT_EQ(menus->MenuCallMediaMode->actions().size(), 15);
    // The monitor sub-menu keeps its Active item and separator in front.
    ASSERT_EQ(menus->MenuCallMonitorMediaModes->actions().size(), 17);
    EXPECT_EQ(menus->MenuCallMonitorMediaModes->actions().at(0)->objectName(),
              QStringLiteral("MenuCallMonitorMediaModesActive"));
    EXPECT_TRUE(menus->MenuCallMonitorMediaModes->actions().at(1)->isSeparator());
    EXPECT_EQ(menus->MenuCallMonitorMediaModes->actions().at(2)->text(), QStringLiteral("LINEMEDIAMODE_UNKNOWN"));

    // DATAMODEM (0x10) added to a call media mode of 4.
    m_line->Call()->setMediaMode(4);
    emit menus->MenuCall->aboutToShow();
    QAction* dataModem = menus->MenuCallMediaMode->actions().at(3);
    ASSERT_EQ(dataModem->text(), QStringLiteral("LINEMEDIAMODE_DATAMODEM"));
    dataModem->setEnabled(true);
    dataModem->trigger();
    EXPECT_EQ(m_line->Call()->MediaMode(), 0x14u);
}

TEST_F(LineCommands, PrivilegeAndDeviceModesAreLockedWhileActive)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    emit w->menus->MenuDevicePrivilege->aboutToShow();
    emit w->menus->MenuDevice->aboutToShow();
    for (const char* name : {"MenuDevicePrivilegeMonitor", "MenuDevicePrivilegeNone", "MenuDevicePrivilegeOwner"})
        EXPECT_FALSE(action(w, name)->isEnabled()) << name;
    for (QAction* a : w->menus->MenuDeviceMediaMode->actions())
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
}

TEST_F(LineCommands, MenuTogglesFollowTheControl)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    // Popup.OnIdle: clicking flips it, the next opening shows it.
    const bool idle = m_line->Popup()->OnIdle();
    action(w, "MenuPopupOnCallIdle")->trigger();
    EXPECT_EQ(m_line->Popup()->OnIdle(), !idle);
    emit w->menus->MenuPopup->aboutToShow();
    EXPECT_EQ(action(w, "MenuPopupOnCallIdle")->isChecked(), !idle);
    // Call > Owner inverts whatever Call > Active shows.
    m_line->Device()->setActive(true);
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    const bool owner = m_line->Call()->Owner();
    action(w, "MenuCallOwner")->trigger();
    EXPECT_EQ(m_line->Call()->Owner(), !owner);
}

TEST_F(LineCommands, TransferDialTakesTheTransferPagesNumber)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    w->callPage->EditPhoneNumber->setText(QStringLiteral("5550111"));
    w->PageControl1->setCurrentWidget(w->transferPage);
    w->transferPage->EditPhoneNumber->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w->transferPage->EditPhoneNumber, QStringLiteral("5550199"));
    action(w, "MenuTransferDial")->trigger();
    EXPECT_EQ(m_line->Transfer()->PhoneNumber(), QStringLiteral("5550199"));
    EXPECT_NE(m_line->Call()->PhoneNumber(), QStringLiteral("5550111"));
}

TEST_F(LineCommands, HexEditsRoundTripAndTapiEditsKeepTheirValue)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvCallParametersBox* params = w->callPage->parameters;
    w->PageControl1->setCurrentWidget(w->callPage);
    w->callPage->PageControlCall->setCurrentIndex(3);
    m_line->Call()->Parameters()->setBearerMode(16);
    ASSERT_EQ(params->EditBearerMode->text(), QStringLiteral("00000010"));
    // Passing through without typing changes nothing.
    params->EditBearerMode->setFocus(Qt::TabFocusReason);
    params->EditMediaMode->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(m_line->Call()->Parameters()->BearerMode(), 16u);
    EXPECT_EQ(params->EditBearerMode->text(), QStringLiteral("00000010"));
    // Letters that are no hex number give 0, shown as eight zeros.
    typeAndLeave(params->EditMediaMode, QStringLiteral("xyz"), params->EditBearerMode);
    EXPECT_EQ(m_line->Call()->Parameters()->MediaMode(), 0u);
    EXPECT_EQ(params->EditMediaMode->text(), QStringLiteral("00000000"));

    // The TAPI edits keep the current value for such a text and show it again.
    w->PageControl1->setCurrentWidget(w->infoPage);
    const quint32 high = m_line->TAPI()->HighVersion();
    typeAndLeave(w->infoPage->EditTAPIHighVersion, QStringLiteral("xyz"), w->infoPage->EditTAPILowVersion);
    EXPECT_EQ(m_line->TAPI()->HighVersion(), high);
    EXPECT_EQ(w->infoPage->EditTAPIHighVersion->text(), TnvNotation::hex8(high));
    // Leaving without typing calls no setter at all.
    const int lines = m_line->Log()->Lines().size();
    w->infoPage->EditTAPILowVersion->setFocus(Qt::TabFocusReason);
    w->infoPage->EditTAPIReplyTimeout->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(m_line->Log()->Lines().mid(lines).filter(QStringLiteral("TAPI.LowVersion")), QStringList());
}

TEST_F(LineCommands, TerminalAndTransferListsSetTheirOwnProperty)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    // Two calls: the drop-down lists their handles without the no-call entry.
    ASSERT_TRUE(dialAndWait(QStringLiteral("5550100"), LINECALLSTATE_CONNECTED));
    m_line->Transfer()->setPrimaryCall(m_line->Call()->Handle());
    m_line->Transfer()->setPhoneNumber(QStringLiteral("5550101"));
    m_line->Transfer()->Dial();
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 2; }));
    w->PageControl1->setCurrentWidget(w->transferPage);
    QComboBox* primary = w->transferPage->ComboBoxPrimaryCall;
    primary->showPopup();
    primary->hidePopup();
    ASSERT_EQ(primary->count(), 2);
    EXPECT_FALSE(primary->itemText(0) == QStringLiteral("00000000"));
    emit primary->activated(1);
    EXPECT_EQ(TnvNotation::hex8(m_line->Transfer()->PrimaryCall()), primary->itemText(1));

    // "<<" makes the row's call the current one and brings the Call tab forward.
    const HCALL consult = m_line->Transfer()->ConsultCall();
    ASSERT_NE(consult, 0u);
    QTest::mouseClick(w->transferPage->selectButtons[1], Qt::LeftButton);
    EXPECT_EQ(m_line->Call()->Handle(), consult);
    EXPECT_EQ(w->PageControl1->currentWidget(), w->callPage);
    // Choosing an entry of the call list selects that call; typing selects nothing.
    QComboBox* calls = w->callPage->ComboBoxCall;
    const int other = calls->findText(TnvNotation::hex8(m_line->Transfer()->PrimaryCall()));
    ASSERT_GT(other, 0);
    emit calls->activated(other);
    EXPECT_EQ(m_line->Call()->Handle(), m_line->Transfer()->PrimaryCall());
    calls->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(calls, QStringLiteral("zz"));
    EXPECT_EQ(m_line->Call()->Handle(), m_line->Transfer()->PrimaryCall());

    const int address = m_line->Address()->ID();
    w->PageControl1->setCurrentWidget(w->terminalPage);
    QComboBox* terminal = w->terminalPage->ComboBoxTerminal;
    if (terminal->count() > 1) {
        const int other = terminal->currentIndex() == 0 ? 1 : 0;
        terminal->setCurrentIndex(other);
        EXPECT_EQ(m_line->Terminal()->ID(), other);
    }
    EXPECT_EQ(m_line->Address()->ID(), address);
}

TEST_F(LineCommands, OpenMenusAreSavedAsPictures)
{
    makeLine(false);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvLineMenus* menus = w->menus;
    emit menus->MenuDevice->aboutToShow();
    const std::pair<QMenu*, const char*> shots[] = {{menus->MenuCall, "line-menu-call"},
                                                    {menus->MenuPopup, "line-menu-popup"},
                                                    {menus->MenuDeviceMediaMode, "line-menu-device-mediamodes"}};
    for (const auto& [menu, name] : shots) {
        menu->popup(w->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(waitUntil([menu] { return menu->isVisible(); }));
        const qsizetype items = menu == menus->MenuPopup ? menus->MenuPopupItems->items().size() : menu->actions().size();
        EXPECT_GT(items, 10);
        screenshot(menu, QLatin1String(name));
        menu->hide();
    }
}

TEST_F(LineCommands, AConsultationTransferByHandThroughTheWindow)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    // Room for the whole sequence: the trace drops its oldest lines beyond its count.
    m_line->Vantage()->Log()->setCount(2000);
    const qsizetype from = m_line->Log()->Lines().size();
    TnvLineCallPage* page = w->callPage;
    ASSERT_TRUE(dialFromCallPage(w, page->SpeedButtonCallPhoneNumber, QStringLiteral("555-0100")));
    QTest::mouseClick(page->SpeedButtonCallHold, Qt::LeftButton);
    ASSERT_TRUE(waitForState(LINECALLSTATE_ONHOLD));
    QTest::mouseClick(page->ButtonCallUnhold, Qt::LeftButton);
    ASSERT_TRUE(waitForState(LINECALLSTATE_CONNECTED));
    const HCALL first = m_line->Call()->Handle();

    // The primary call is chosen from the drop-down with the keyboard.
    TnvLineJoinPage* transfer = w->transferPage;
    w->PageControl1->setCurrentWidget(transfer);
    choosePrimaryCall(transfer);
    ASSERT_EQ(m_line->Transfer()->PrimaryCall(), first);
    ASSERT_TRUE(dialConsultation(transfer, QStringLiteral("555-0120"), [&] { return m_line->Transfer()->ConsultCall(); }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_line->Transfer()->PhoneNumber(), QStringLiteral("555-0120"));

    QTest::mouseClick(transfer->operationButtons[1], Qt::LeftButton); // Complete
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    expectLines(QStringLiteral("line-transfer-by-hand"), traceFrom(from));
}

TEST_F(LineCommands, DigitsGatheredAndAddressForwardedByHand)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    TnvLineCallPage* page = w->callPage;
    w->PageControl1->setCurrentWidget(page);
    typeAndLeave(page->EditPhoneNumber, QStringLiteral("5550108"), page->EditHandoffApp);
    QTest::mouseClick(page->ButtonCallPhoneNumber, Qt::LeftButton);
    ASSERT_TRUE(waitForState(LINECALLSTATE_CONNECTED));

    // The echo party sends back what it hears; three digits end the gathering.
    page->PageControlCall->setCurrentIndex(2);
    typeAndLeave(page->EditCGDCount, QStringLiteral("3"), page->EditSendDigits);
    QTest::mouseClick(page->CheckBoxCGDActive, Qt::LeftButton);
    ASSERT_TRUE(m_line->Call()->GatherDigits()->Active());
    typeAndLeave(page->EditSendDigits, QStringLiteral("123"), page->EditSendDigitsDuration);
    QTest::mouseClick(page->ButtonSendDigits, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return page->EditCDGOnDigitsGathered->text() == QStringLiteral("123"); }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    QTest::mouseClick(page->ButtonCallHangup, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));

    w->PageControl1->setCurrentWidget(w->addressPage);
    w->addressPage->PageControlAddress->setCurrentWidget(w->addressPage->ScrollBoxAddressForward);
    typeAndLeave(w->addressPage->EditAFPhoneNumber, QStringLiteral("5550120"), w->addressPage->EditAFCaller);
    EXPECT_EQ(m_line->Address()->Forward()->PhoneNumber(), QStringLiteral("5550120"));
    typeAndLeave(w->addressPage->EditAFMode, QStringLiteral("1"), w->addressPage->EditAFCaller); // unconditional
    EXPECT_EQ(m_line->Address()->Forward()->Mode(), 1u);
    EXPECT_EQ(w->addressPage->EditAFMode->text(), QStringLiteral("00000001"));
    // The box spans the row; its indicator sits at the left.
    QCheckBox* forward = w->addressPage->CheckBoxAFActive;
    QTest::mouseClick(forward, Qt::LeftButton, {}, QPoint(6, forward->height() / 2));
    EXPECT_TRUE(waitUntil([&] { return m_line->Address()->Forward()->Active(); }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(LineCommands, AConferenceByHandThroughTheWindow)
{
    makeLine(true);
    RecordingLineVantage* w = openActiveWindow();
    ASSERT_NE(w, nullptr);
    m_line->Vantage()->Log()->setCount(2000);
    const qsizetype from = m_line->Log()->Lines().size();
    TnvLineCallPage* page = w->callPage;
    ASSERT_TRUE(dialFromCallPage(w, page->ButtonCallPhoneNumber, QStringLiteral("555-0100")));
    const HCALL first = m_line->Call()->Handle();

    TnvLineJoinPage* conference = w->conferencePage;
    w->PageControl1->setCurrentWidget(conference);
    choosePrimaryCall(conference);
    ASSERT_EQ(m_line->Conference()->PrimaryCall(), first);
    ASSERT_TRUE(dialConsultation(conference, QStringLiteral("555-0120"), [&] { return m_line->Conference()->ConsultCall(); }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_line->Conference()->PhoneNumber(), QStringLiteral("555-0120"));
    const HCALL bridge = m_line->Conference()->Handle();
    ASSERT_NE(bridge, 0u);

    QTest::mouseClick(conference->operationButtons[0], Qt::LeftButton); // AddCall
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->StateOf(bridge) == LINECALLSTATE_CONNECTED; }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_line->Conference()->Count(), 1);

    // "<<" on the conference's own row, then Hangup on the Call page ends it all.
    QTest::mouseClick(conference->selectButtons[2], Qt::LeftButton);
    ASSERT_EQ(m_line->Call()->Handle(), bridge);
    ASSERT_EQ(w->PageControl1->currentWidget(), page);
    QTest::mouseClick(page->ButtonCallHangup, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }))
        << m_line->Log()->Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_line->Conference()->Handle(), 0u);
    expectLines(QStringLiteral("line-conference-by-hand"), traceFrom(from));
}
