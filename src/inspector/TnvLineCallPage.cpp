#include "TnvLineCallPage.h"

#include "TnvCallParametersBox.h"
#include "TnvCallerIDPanel.h"
#include "TnvDeferredArea.h"
#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvTreeRows.h"

#include <TnvCall.h>
#include <TnvConstantTexts.h>
#include <TnvGatherDigits.h>
#include <TnvLine.h>
#include <TnvMonitorDigits.h>
#include <TnvMonitorSilence.h>
#include <TnvNotation.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

template<typename T>
T* named(T* widget, const char* name, const QString& hint = {})
{
    widget->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        widget->setToolTip(hint);
    return widget;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& hint, int width = 0)
{
    auto* e = named(new QLineEdit(parent), name, hint);
    if (width > 0)
        e->setFixedWidth(width);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* b = named(new QPushButton(caption, parent), name, hint);
    b->setFixedWidth(76);
    return b;
}

} // namespace

TnvLineCallPage::TnvLineCallPage(TnvLine* line, QWidget* parent)
    : QWidget(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("TabSheetCall"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(makeGroup());

    PageControlCall = named(new QTabWidget(this), "PageControlCall");
    PageControlCall->setDocumentMode(true);
    auto* control = new QWidget;
    control->setObjectName(QStringLiteral("TabSheetCallControl"));
    auto* controlLayout = new QVBoxLayout(control);
    controlLayout->setContentsMargins(0, 0, 0, 0);
    controlLayout->addWidget(makeControlPage());
    PageControlCall->addTab(control, QStringLiteral("Control"));

    callerID = new TnvCallerIDPanel(line);
    PageControlCall->addTab(callerID, QStringLiteral("CallerID"));
    PageControlCall->addTab(makeDigitsPage(), QStringLiteral("Digits"));

    auto* parametersPage = new QScrollArea;
    parametersPage->setObjectName(QStringLiteral("TabSheetCallParameters"));
    parameters = new TnvCallParametersBox(QStringLiteral("CP"), QStringLiteral("Call.Parameters"));
    parameters->attach(line->Call()->Parameters());
    parametersPage->setWidget(parameters);
    parametersPage->setWidgetResizable(true);
    PageControlCall->addTab(parametersPage, QStringLiteral("Parameters"));

    TreeViewCallDetails = named(new QTreeWidget, "TreeViewCallDetails", QStringLiteral("nvLine.Call Status"));
    TreeViewCallDetails->setHeaderHidden(true);
    TreeViewCallDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PageControlCall->addTab(TreeViewCallDetails, QStringLiteral("Properties"));
    m_tree = new TnvDeferredArea(TreeViewCallDetails, [this] { refreshTree(); });
    m_group = new TnvDeferredArea(GroupBoxCall, [this] { refreshGroup(); });
    PageControlCall->setCurrentIndex(0);
    layout->addWidget(PageControlCall, 1);
}

QWidget* TnvLineCallPage::makeGroup()
{
    GroupBoxCall = named(new QGroupBox(this), "GroupBoxCall");
    GroupBoxCall->setFixedHeight(48);
    auto* row = new QHBoxLayout(GroupBoxCall);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(0);

    // Five pictures at one spot; exactly one shows.
    auto* spot = new QGridLayout;
    spot->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < TnvLineVantageArt::PictureCount; ++i) {
        const auto which = TnvLineVantageArt::Picture(i);
        auto* label = new QLabel(GroupBoxCall);
        label->setObjectName(TnvLineVantageArt::pictureName(which));
        label->setPixmap(TnvLineVantageArt::picture(which));
        label->setFixedSize(16, 16);
        label->setAttribute(Qt::WA_TranslucentBackground);
        spot->addWidget(label, 0, 0);
        pictures[std::size_t(i)] = label;
    }
    pictures[TnvLineVantageArt::OffYellow]->hide();
    pictures[TnvLineVantageArt::OffRed]->hide();
    row->addLayout(spot);
    row->addSpacing(2);

    ComboBoxCall = named(new QComboBox(GroupBoxCall), "ComboBoxCall", QStringLiteral("nvLine.Call.Handle"));
    ComboBoxCall->setEditable(true);
    ComboBoxCall->setInsertPolicy(QComboBox::NoInsert);
    // Eight hex digits always show whole.
    ComboBoxCall->setMinimumWidth(ComboBoxCall->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 36);
    ComboBoxCall->addItem(QStringLiteral("00000000"));
    row->addWidget(ComboBoxCall);
    row->addSpacing(4);

    const auto speed = [&](const char* name, const QString& glyph, const QString& hint) {
        auto* b = named(new QToolButton(GroupBoxCall), name, hint);
        b->setText(glyph);
        b->setAutoRaise(true);
        b->setFixedSize(20, 22);
        row->addWidget(b);
        return b;
    };
    SpeedButtonCallPhoneNumber = speed("SpeedButtonCallPhoneNumber", QStringLiteral("D"), QStringLiteral("nvLine.Call.Dial"));
    SpeedButtonCallAnswer = speed("SpeedButtonCallAnswer", QStringLiteral("A"), QStringLiteral("nvLine.Call.Answer"));
    SpeedButtonCallHangup = speed("SpeedButtonCallHangup", QStringLiteral("H"), QStringLiteral("nvLine.Call.Hangup"));
    SpeedButtonCallHold = speed("SpeedButtonCallHold", QStringLiteral("Ho"), QStringLiteral("nvLine.Call.Hold"));
    SpeedButtonCallUnhold = speed("SpeedButtonCallUnhold", QStringLiteral("Uh"), QStringLiteral("nvLine.Call.Unhold"));
    SpeedButtonCallPark = speed("SpeedButtonCallPark", QStringLiteral("P"),
                                QStringLiteral("nvLine.Call.Park  (sPhoneNumber) //String"));
    SpeedButtonCallUnpark = speed("SpeedButtonCallUnpark", QStringLiteral("Up"),
                                  QStringLiteral("nvLine.Call.Unpark  (sPhoneNumber) //String"));
    SpeedButtonCallPickup = speed("SpeedButtonCallPickup", QStringLiteral("Pi"),
                                  QStringLiteral("nvLine.Call.Pickup (sPhoneNumber,sGroupID) //String, String"));
    SpeedButtonCallRedirect = speed("SpeedButtonCallRedirect", QStringLiteral("R"),
                                    QStringLiteral("nvLine.Call.Redirect (sPhoneNumber) //String"));
    row->addStretch();

    TnvEditRules::onEntryChosen(ComboBoxCall, [this](const QString& text) {
        m_line->Call()->setHandle(TnvEditRules::readHex(text));
    });
    connect(SpeedButtonCallPhoneNumber, &QToolButton::clicked, this, [this] { dial(); });
    connect(SpeedButtonCallAnswer, &QToolButton::clicked, this, [this] { m_line->Call()->Answer(); });
    connect(SpeedButtonCallHangup, &QToolButton::clicked, this, [this] { m_line->Call()->Hangup(); });
    connect(SpeedButtonCallHold, &QToolButton::clicked, this, [this] { m_line->Call()->Hold(); });
    connect(SpeedButtonCallUnhold, &QToolButton::clicked, this, [this] { m_line->Call()->Unhold(); });
    connect(SpeedButtonCallPark, &QToolButton::clicked, this, [this] { this->park(); });
    connect(SpeedButtonCallUnpark, &QToolButton::clicked, this, [this] { this->unpark(); });
    connect(SpeedButtonCallPickup, &QToolButton::clicked, this, [this] { this->pickup(); });
    connect(SpeedButtonCallRedirect, &QToolButton::clicked, this, [this] { this->redirect(); });
    return GroupBoxCall;
}

QWidget* TnvLineCallPage::makeControlPage()
{
    ScrollBox2 = named(new QScrollArea, "ScrollBox2");
    ScrollBox2->setWidgetResizable(true);
    auto* inner = new QWidget;
    auto* grid = new QGridLayout(inner);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    int r = 0;
    const auto line = [&](QWidget* first, QWidget* second = nullptr, QWidget* third = nullptr) {
        grid->addWidget(first, r, 0);
        if (second)
            grid->addWidget(second, r, 1);
        if (third)
            grid->addWidget(third, r, 2);
        ++r;
    };

    ButtonCallPhoneNumber = button(inner, "ButtonCallPhoneNumber", QStringLiteral("Dial"), QStringLiteral("nvLine.Call.Dial"));
    EditPhoneNumber = edit(inner, "EditPhoneNumber", QStringLiteral("nvLine.Call.PhoneNumber"));
    line(ButtonCallPhoneNumber, EditPhoneNumber);
    ButtonCallAnswer = button(inner, "ButtonCallAnswer", QStringLiteral("Answer"), QStringLiteral("nvLine.Call.Answer"));
    ButtonCallHangup = button(inner, "ButtonCallHangup", QStringLiteral("Hangup"), QStringLiteral("nvLine.Call.Hangup"));
    line(ButtonCallAnswer, ButtonCallHangup);
    ButtonCallTransfer = button(inner, "ButtonCallTransfer", QStringLiteral("Transfer"),
                                QStringLiteral("nvLine.Call.Transfer (Blind)"));
    line(ButtonCallTransfer);
    ButtonCallHold = button(inner, "ButtonCallHold", QStringLiteral("Hold"), QStringLiteral("nvLine.Call.Hold"));
    ButtonCallUnhold = button(inner, "ButtonCallUnhold", QStringLiteral("Unhold"), QStringLiteral("nvLine.Call.Unhold"));
    line(ButtonCallHold, ButtonCallUnhold);
    const QString park = QStringLiteral("nvLine.Call.Park  (sPhoneNumber) //String");
    ButtonCallPark = button(inner, "ButtonCallPark", QStringLiteral("Park"), park);
    EditCallParkPhoneNumber = edit(inner, "EditCallParkPhoneNumber", park);
    line(ButtonCallPark, EditCallParkPhoneNumber);
    const QString unpark = QStringLiteral("nvLine.Call.Unpark  (sPhoneNumber) //String");
    ButtonCallUnpark = button(inner, "ButtonCallUnpark", QStringLiteral("Unpark"), unpark);
    EditCallUnparkPhoneNumber = edit(inner, "EditCallUnparkPhoneNumber", unpark);
    line(ButtonCallUnpark, EditCallUnparkPhoneNumber);
    const QString pickup = QStringLiteral("nvLine.Call.Pickup (sPhoneNumber,sGroupID) //String, String");
    ButtonCallPickup = button(inner, "ButtonCallPickup", QStringLiteral("Pickup"), pickup);
    EditCallPickupPhoneNumber = edit(inner, "EditCallPickupPhoneNumber", pickup);
    EditCallPickupGroupID = edit(inner, "EditCallPickupGroupID", pickup, 60);
    line(ButtonCallPickup, EditCallPickupPhoneNumber, EditCallPickupGroupID);
    const QString redirect = QStringLiteral("nvLine.Call.Redirect (sPhoneNumber) //String");
    ButtonCallRedirect = button(inner, "ButtonCallRedirect", QStringLiteral("Redirect"), redirect);
    EditCallRedirectPhoneNumber = edit(inner, "EditCallRedirectPhoneNumber", redirect);
    line(ButtonCallRedirect, EditCallRedirectPhoneNumber);
    CheckBoxCallMonitorSilence = named(new QCheckBox(QStringLiteral("MonitorSilence"), inner), "CheckBoxCallMonitorSilence",
                                       QStringLiteral("nvLine.Call.MonitorSilence.Active"));
    EditMonitorSilenceDuration = edit(inner, "EditMonitorSilenceDuration",
                                      QStringLiteral("nvLine.Call.MonitorSilence.Duration //milliseconds"));
    line(CheckBoxCallMonitorSilence, EditMonitorSilenceDuration);
    const QString handoff = QStringLiteral("nvLine.Call.Handoff (Application) //String");
    ButtonCallHandoff = button(inner, "ButtonCallHandoff", QStringLiteral("Handoff"), handoff);
    EditHandoffApp = edit(inner, "EditHandoffApp", handoff);
    EditHandoffApp->setText(QStringLiteral("awfxex32.exe"));
    line(ButtonCallHandoff, EditHandoffApp);
    const QString tone = QStringLiteral("nvLine.Call.SendTone (Tone,Duration) //Integer, milliseconds");
    ButtonCallSendTone = button(inner, "ButtonCallSendTone", QStringLiteral("SendTone"), tone);
    ComboBoxSendTone = named(new QComboBox(inner), "ComboBoxSendTone", tone);
    ComboBoxSendTone->addItems({QStringLiteral("None"), QStringLiteral("Ringback"), QStringLiteral("Busy"),
                                QStringLiteral("Beep"), QStringLiteral("Billing")});
    EditSendToneDuration = edit(inner, "EditSendToneDuration", tone, 60);
    line(ButtonCallSendTone, ComboBoxSendTone, EditSendToneDuration);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);

    TnvCall* call = m_line->Call();
    TnvEditRules::onLeavingText(EditPhoneNumber, [call](const QString& text) { call->setPhoneNumber(text); });
    connect(ButtonCallPhoneNumber, &QPushButton::clicked, this, [this] { dial(); });
    connect(ButtonCallAnswer, &QPushButton::clicked, this, [call] { call->Answer(); });
    connect(ButtonCallHangup, &QPushButton::clicked, this, [call] { call->Hangup(); });
    connect(ButtonCallTransfer, &QPushButton::clicked, this, [call] { call->Transfer(); });
    connect(ButtonCallHold, &QPushButton::clicked, this, [call] { call->Hold(); });
    connect(ButtonCallUnhold, &QPushButton::clicked, this, [call] { call->Unhold(); });
    connect(ButtonCallPark, &QPushButton::clicked, this, [this] { this->park(); });
    connect(ButtonCallUnpark, &QPushButton::clicked, this, [this] { this->unpark(); });
    connect(ButtonCallPickup, &QPushButton::clicked, this, [this] { this->pickup(); });
    connect(ButtonCallRedirect, &QPushButton::clicked, this, [this] { this->redirect(); });
    connect(CheckBoxCallMonitorSilence, &QCheckBox::clicked, this, [this] { toggleMonitorSilence(); });
    TnvEditRules::onLeavingDecimal(EditMonitorSilenceDuration,
                                   [call](int value) { call->MonitorSilence()->setDuration(value); });
    connect(ButtonCallHandoff, &QPushButton::clicked, this, [this] { this->handoff(); });
    connect(ButtonCallSendTone, &QPushButton::clicked, this, [this] { sendTone(); });
    ScrollBox2->setWidget(inner);
    return ScrollBox2;
}

QWidget* TnvLineCallPage::makeDigitsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetCallDigits"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    GroupBoxGatherDigits = named(new QGroupBox(QStringLiteral("Call.GatherDigits"), page), "GroupBoxGatherDigits");
    auto* gather = new QGridLayout(GroupBoxGatherDigits);
    gather->setVerticalSpacing(3);
    CheckBoxCGDActive = named(new QCheckBox(QStringLiteral("Active"), GroupBoxGatherDigits), "CheckBoxCGDActive",
                              QStringLiteral("nvLine.Call.GatherDigits.Active"));
    EditCGDCount = edit(GroupBoxGatherDigits, "EditCGDCount", QStringLiteral("nvLine.Call.GatherDigits.Count"), 60);
    EditCGDTimeOut = edit(GroupBoxGatherDigits, "EditCGDTimeOut", QStringLiteral("nvLine.Call.GatherDigits.TimeOut"), 60);
    EditCGDTerminate = edit(GroupBoxGatherDigits, "EditCGDTerminate", QStringLiteral("nvLine.Call.GatherDigits.Terminate"), 60);
    EditCDGOnDigitsGathered = edit(GroupBoxGatherDigits, "EditCDGOnDigitsGathered", QStringLiteral("OnDigitsGathered"));
    EditCDGOnDigitsGathered->setReadOnly(true);
    gather->addWidget(CheckBoxCGDActive, 0, 0);
    gather->addWidget(new QLabel(QStringLiteral("Count"), GroupBoxGatherDigits), 0, 1);
    gather->addWidget(EditCGDCount, 0, 2);
    gather->addWidget(new QLabel(QStringLiteral("Timeout"), GroupBoxGatherDigits), 1, 1);
    gather->addWidget(EditCGDTimeOut, 1, 2);
    gather->addWidget(new QLabel(QStringLiteral("Terminate"), GroupBoxGatherDigits), 2, 1);
    gather->addWidget(EditCGDTerminate, 2, 2);
    gather->addWidget(new QLabel(QStringLiteral("OnDigitsGathered"), GroupBoxGatherDigits), 3, 0);
    gather->addWidget(EditCDGOnDigitsGathered, 3, 1, 1, 3);
    gather->setColumnStretch(3, 1);
    layout->addWidget(GroupBoxGatherDigits);

    auto* send = new QHBoxLayout;
    const QString sendHint = QStringLiteral("nvLine.Call.SendDigits (Digits,Duration) //String, milliseconds");
    ButtonSendDigits = button(page, "ButtonSendDigits", QStringLiteral("Call.SendDigits"), sendHint);
    ButtonSendDigits->setFixedWidth(110);
    EditSendDigits = edit(page, "EditSendDigits", sendHint);
    EditSendDigitsDuration = edit(page, "EditSendDigitsDuration", sendHint, 60);
    send->addWidget(ButtonSendDigits);
    send->addWidget(EditSendDigits, 1);
    send->addWidget(EditSendDigitsDuration);
    layout->addLayout(send);

    GroupBoxMonitorDigits = named(new QGroupBox(QStringLiteral("Call.MonitorDigits"), page), "GroupBoxMonitorDigits");
    auto* monitor = new QHBoxLayout(GroupBoxMonitorDigits);
    CheckBoxCallMonitorDigitsActive = named(new QCheckBox(QStringLiteral("Active"), GroupBoxMonitorDigits),
                                            "CheckBoxCallMonitorDigitsActive",
                                            QStringLiteral("nvLine.Call.MonitorDigits.Active "));
    EditCDGOnDigitReceived = edit(GroupBoxMonitorDigits, "EditCDGOnDigitReceived", QStringLiteral("OnDigitReceived"));
    EditCDGOnDigitReceived->setReadOnly(true);
    monitor->addWidget(CheckBoxCallMonitorDigitsActive);
    monitor->addWidget(new QLabel(QStringLiteral("OnDigitReceived"), GroupBoxMonitorDigits));
    monitor->addWidget(EditCDGOnDigitReceived, 1);
    layout->addWidget(GroupBoxMonitorDigits);
    layout->addStretch();

    TnvCall* call = m_line->Call();
    connect(CheckBoxCGDActive, &QCheckBox::clicked, this, [this, call](bool checked) {
        call->GatherDigits()->setActive(checked);
        refreshDigits();
    });
    TnvEditRules::onLeavingDecimal(EditCGDCount, [this, call](int value) {
        call->GatherDigits()->setCount(value);
        refreshDigits();
    });
    TnvEditRules::onLeavingDecimal(EditCGDTimeOut, [this, call](int value) {
        call->GatherDigits()->setTimeout(value);
        refreshDigits();
    });
    TnvEditRules::onLeavingText(EditCGDTerminate, [this, call](const QString& text) {
        call->GatherDigits()->setTerminate(text);
        refreshDigits();
    });
    connect(ButtonSendDigits, &QPushButton::clicked, this, [this] { sendDigits(); });
    connect(CheckBoxCallMonitorDigitsActive, &QCheckBox::clicked, this, [this] { toggleMonitorDigits(); });
    return page;
}

void TnvLineCallPage::refreshCall()
{
    m_group->refresh();
    refreshCallerID();
    m_tree->refresh();
}

void TnvLineCallPage::refreshGroup()
{
    const TnvCall* call = m_line->Call();
    const TnvLineVantageArt::Picture shown = TnvLineVantageArt::pictureFor(call->State());
    for (int i = 0; i < TnvLineVantageArt::PictureCount; ++i)
        pictures[std::size_t(i)]->setVisible(i == shown);
    m_shown = shown;
    TnvQuietWriter::setTitle(GroupBoxCall, m_line->Vantage()->Notate(QStringLiteral("Call.Handle = ") + TnvVantage::HexText(call->Handle())
                                                                     + QStringLiteral("    Call.Count = ") + QString::number(call->Count())));
    fillCallList();
}

void TnvLineCallPage::flushTrees()
{
    m_group->flush();
    m_tree->flush();
    callerID->flushTree();
}

void TnvLineCallPage::fillCallList()
{
    const TnvCall* call = m_line->Call();
    const QStringList& handles = call->List();
    const QSignalBlocker block(ComboBoxCall);
    bool same = ComboBoxCall->count() == handles.size();
    for (int i = 0; same && i < handles.size(); ++i)
        same = ComboBoxCall->itemText(i) == handles.at(i);
    if (!same) {
        ComboBoxCall->clear();
        ComboBoxCall->addItems(handles);
    }
    // Entry 0 stands for no call and stays selected when the handle is not listed.
    const int at = qMax(0, handles.indexOf(TnvNotation::hex8(call->Handle())));
    if (ComboBoxCall->currentIndex() != at)
        ComboBoxCall->setCurrentIndex(at);
    if (ComboBoxCall->currentText() != handles.value(at))
        ComboBoxCall->setEditText(handles.value(at));
}

void TnvLineCallPage::refreshTree()
{
    const TnvCall* call = m_line->Call();
    TnvTreeRows rows(TreeViewCallDetails, m_line->Vantage());
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Call"), true);
    rows.boolRow(root, QStringLiteral("Active"), call->Active());
    rows.decimalRow(root, QStringLiteral("Address"), call->Address());
    rows.enumRow(root, QStringLiteral("BearerMode"), call->BearerMode(), BearerModeText);
    rows.timeRow(root, QStringLiteral("Began"), call->Began());
    rows.enumRow(root, QStringLiteral("BusyMode"), call->BusyMode(), BusyModeText);
    rows.timeRow(root, QStringLiteral("Connected"), call->Connected());
    rows.enumRow(root, QStringLiteral("DialToneMode"), call->DialtoneMode(), DialToneModeText);
    rows.timeRow(root, QStringLiteral("Disconnected"), call->Disconnected());
    rows.enumRow(root, QStringLiteral("DisconnectMode"), call->DisconnectMode(), DisconnectModeText);
    rows.timeRow(root, QStringLiteral("Ended"), call->Ended());
    rows.flags(root, QStringLiteral("Features"), call->Features(), CallFeatureText, 0x80000000u, 1);
    rows.flags(root, QStringLiteral("Features2"), call->Features2(), CallFeature2Text, 0x200, 1);
    if (call->Handle() == 0)
        rows.row(root, QStringLiteral("Handle = No call ") + TnvVantage::HexText(0));
    else
        rows.hexRow(root, QStringLiteral("Handle"), call->Handle());
    rows.hexRow(root, QStringLiteral("ID"), call->ID());
    rows.flags(root, QStringLiteral("MediaMode"), call->MediaMode(), MediaModeText, 0x4000, 2);
    rows.decimalRow(root, QStringLiteral("Monitors"), call->Monitors());
    rows.enumRow(root, QStringLiteral("Origin"), call->Origin(), CallOriginText);
    rows.row(root, QStringLiteral("OriginatingApp = '") + call->OriginatingApp() + QLatin1Char('\''));
    rows.boolRow(root, QStringLiteral("Owner"), call->Owner());
    rows.decimalRow(root, QStringLiteral("Owners"), call->Owners());
    rows.enumRow(root, QStringLiteral("Reason"), call->Reason(), CallReasonText);
    rows.enumRow(root, QStringLiteral("SpecialInfo"), call->SpecialInfo(), SpecialInfoText);
    rows.enumRow(root, QStringLiteral("State"), call->State(), CallStateText);
    rows.row(root, QStringLiteral("StateMode = ") + CallStateModeText(call->State(), call->StateMode())
                       + TnvVantage::HexText(call->StateMode()));
}

void TnvLineCallPage::refreshCallerID()
{
    callerID->refresh();
}

void TnvLineCallPage::refreshCallControl()
{
    const TnvCall* call = m_line->Call();
    TnvQuietWriter::setText(EditPhoneNumber, call->PhoneNumber());
    TnvQuietWriter::setText(EditMonitorSilenceDuration, QString::number(call->MonitorSilence()->Duration()));
    TnvQuietWriter::setChecked(CheckBoxCallMonitorSilence, call->MonitorSilence()->Active());
}

void TnvLineCallPage::refreshDigits()
{
    const TnvCall* call = m_line->Call();
    const TnvGatherDigits* gather = call->GatherDigits();
    TnvQuietWriter::setChecked(CheckBoxCallMonitorDigitsActive, call->MonitorDigits()->Active());
    TnvQuietWriter::setChecked(CheckBoxCGDActive, gather->Active());
    TnvQuietWriter::setText(EditCGDCount, QString::number(gather->Count()));
    TnvQuietWriter::setText(EditCGDTerminate, gather->Terminate());
    TnvQuietWriter::setText(EditCGDTimeOut, QString::number(gather->Timeout()));
}

void TnvLineCallPage::refreshParameters()
{
    parameters->refresh(m_line->Call()->Parameters());
}

void TnvLineCallPage::showDigitsGathered(const QString& digits)
{
    TnvQuietWriter::setText(EditCDGOnDigitsGathered, digits);
}

void TnvLineCallPage::showDigitReceived(const QString& digits)
{
    TnvQuietWriter::setText(EditCDGOnDigitReceived, digits);
}

// --- Commands --------------------------------------------------------------------

void TnvLineCallPage::dial()
{
    TnvEditRules::leave(EditPhoneNumber);
    m_line->Call()->Dial();
}

void TnvLineCallPage::park()
{
    m_line->Call()->Park(EditCallParkPhoneNumber->text());
}

void TnvLineCallPage::unpark()
{
    m_line->Call()->Unpark(EditCallUnparkPhoneNumber->text());
}

void TnvLineCallPage::pickup()
{
    m_line->Call()->Pickup(EditCallPickupPhoneNumber->text(), EditCallPickupGroupID->text());
}

void TnvLineCallPage::redirect()
{
    m_line->Call()->Redirect(EditCallRedirectPhoneNumber->text());
}

void TnvLineCallPage::handoff()
{
    m_line->Call()->Handoff(EditHandoffApp->text());
}

void TnvLineCallPage::sendTone()
{
    // Entry i stands for the tone mode 2^i; "None" and no entry at all send nothing.
    const int index = ComboBoxSendTone->currentIndex();
    if (index <= 0 || index >= 31) {
        m_line->Call()->SendTone(0, 0);
        return;
    }
    m_line->Call()->SendTone(DWORD(1) << index, TnvEditRules::readDecimal(EditSendToneDuration->text()));
}

void TnvLineCallPage::sendDigits()
{
    m_line->Call()->SendDigits(EditSendDigits->text(), TnvEditRules::readDecimal(EditSendDigitsDuration->text()));
}

void TnvLineCallPage::toggleMonitorSilence()
{
    TnvMonitorSilence* monitor = m_line->Call()->MonitorSilence();
    monitor->setActive(!monitor->Active());
    refreshCallControl();
}

void TnvLineCallPage::toggleMonitorDigits()
{
    TnvMonitorDigits* monitor = m_line->Call()->MonitorDigits();
    monitor->setActive(!monitor->Active());
    refreshDigits();
}
