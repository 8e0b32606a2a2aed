#include "TnvLineJoinPage.h"

#include "TnvCallParametersBox.h"
#include "TnvDropDownBox.h"
#include "TnvEditRules.h"
#include "TnvQuietWriter.h"

#include <TnvCall.h>
#include <TnvConference.h>
#include <TnvLine.h>
#include <TnvNotation.h>
#include <TnvTransfer.h>

#include <QComboBox>
#include <QSignalBlocker>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString handleText(quint32 handle)
{
    return handle ? TnvNotation::hex8(handle) : QString();
}

} // namespace

TnvLineJoinPage::TnvLineJoinPage(Kind kind, TnvLine* line, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_line(line)
{
    const bool transfer = kind == Transfer;
    const QString word = transfer ? QStringLiteral("Transfer") : QStringLiteral("Conference");
    setObjectName(QStringLiteral("TabSheet") + word);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl") + word);
    pages->setDocumentMode(true);
    layout->addWidget(pages);

    auto* control = new QWidget;
    control->setObjectName(QStringLiteral("TabSheet%1Control").arg(word));
    auto* grid = new QGridLayout(control);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);

    const QString third = transfer ? QStringLiteral("ThreeWayCall") : QStringLiteral("Handle");
    const QString rowNames[3] = {QStringLiteral("PrimaryCall"), QStringLiteral("ConsultCall"), third};
    const QString imageNames[3] = {QStringLiteral("Image%1PrimaryCall").arg(word), QStringLiteral("Image%1ConsultCall").arg(word),
                                   transfer ? QStringLiteral("ImageTransfer3WayCall") : QStringLiteral("ImageConferenceHandle")};
    const QString buttonNames[3] = {transfer ? QStringLiteral("TransferPrimaryCall") : QStringLiteral("ButtonConferencePrimaryCall"),
                                    QStringLiteral("Button%1ConsultCall").arg(word),
                                    transfer ? QStringLiteral("ButtonTransfer3WayCall") : QStringLiteral("ButtonConferenceHandle")};
    auto* primaryBox = new TnvDropDownBox(control);
    auto* consultBox = new TnvDropDownBox(control);
    ComboBoxPrimaryCall = primaryBox;
    ComboBoxPrimaryCall->setObjectName(QStringLiteral("ComboBox%1PrimaryCall").arg(word));
    ComboBoxConsultCall = consultBox;
    ComboBoxConsultCall->setObjectName(QStringLiteral("ComboBox%1ConsultCall").arg(word));
    EditThirdCall = new QLineEdit(control);
    EditThirdCall->setObjectName(transfer ? QStringLiteral("EditTransfer3WayCall") : QStringLiteral("EditConferenceHandle"));
    EditThirdCall->setReadOnly(true);
    QWidget* values[3] = {ComboBoxPrimaryCall, ComboBoxConsultCall, EditThirdCall};
    for (QComboBox* box : {ComboBoxPrimaryCall, ComboBoxConsultCall}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    for (int row = 0; row < 3; ++row) {
        auto* image = new QLabel(control);
        image->setObjectName(imageNames[row]);
        image->setFixedSize(16, 16);
        image->setPixmap(TnvLineVantageArt::picture(TnvLineVantageArt::OnGray));
        images[std::size_t(row)] = image;
        auto* label = new QLabel(rowNames[row], control);
        auto* select = new QPushButton(QStringLiteral("<<"), control);
        select->setObjectName(buttonNames[row]);
        select->setFixedWidth(32);
        select->setToolTip(QStringLiteral("nvLine.Call.Handle = nvLine.%1.%2").arg(word, rowNames[row]));
        selectButtons[std::size_t(row)] = select;
        values[row]->setToolTip(QStringLiteral("nvLine.%1.%2").arg(word, rowNames[row]));
        values[row]->setMinimumWidth(100);
        grid->addWidget(image, row, 0);
        grid->addWidget(label, row, 1);
        grid->addWidget(select, row, 2);
        grid->addWidget(values[row], row, 3);
    }

    ButtonDial = new QPushButton(QStringLiteral("Dial"), control);
    ButtonDial->setObjectName(QStringLiteral("Button%1Dial").arg(word));
    ButtonDial->setToolTip(QStringLiteral("nvLine.%1.Dial").arg(word));
    EditPhoneNumber = new QLineEdit(control);
    EditPhoneNumber->setObjectName(QStringLiteral("Edit%1PhoneNumber").arg(word));
    EditPhoneNumber->setToolTip(transfer ? QStringLiteral("nvLine.Call.PhoneNumber")
                                         : QStringLiteral("nvLine.Conference.PhoneNumber"));
    grid->addWidget(ButtonDial, 3, 1, 1, 2);
    grid->addWidget(EditPhoneNumber, 3, 3);

    const QStringList operations = transfer
        ? QStringList{QStringLiteral("SwapHold"), QStringLiteral("Complete"), QStringLiteral("ThreeWay")}
        : QStringList{QStringLiteral("AddCall"), QStringLiteral("RemoveCall"), QStringLiteral("SwapHold")};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(operations.at(i), control);
        b->setObjectName(QStringLiteral("Button%1%2").arg(word, operations.at(i)));
        b->setToolTip(QStringLiteral("nvLine.%1.%2").arg(word, operations.at(i)));
        operationButtons[std::size_t(i)] = b;
        buttons->addWidget(b);
    }
    buttons->addStretch();
    grid->addLayout(buttons, 4, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(5, 1);

    primaryBox->setBeforeDropDown([this] { fillCallList(ComboBoxPrimaryCall, m_line->Call()->List()); });
    consultBox->setBeforeDropDown([this] {
        fillCallList(ComboBoxConsultCall, m_kind == Transfer ? m_line->Call()->List() : m_line->Conference()->List());
    });
    TnvEditRules::onEntryChosen(ComboBoxPrimaryCall, [this](const QString& text) {
        const quint32 handle = TnvEditRules::readHex(text);
        if (m_kind == Transfer)
            m_line->Transfer()->setPrimaryCall(handle);
        else
            m_line->Conference()->setPrimaryCall(handle);
    });
    TnvEditRules::onEntryChosen(ComboBoxConsultCall, [this](const QString& text) {
        const quint32 handle = TnvEditRules::readHex(text);
        if (m_kind == Transfer)
            m_line->Transfer()->setConsultCall(handle);
        else
            m_line->Conference()->setConsultCall(handle);
    });
    for (int row = 0; row < 3; ++row) {
        connect(selectButtons[std::size_t(row)], &QPushButton::clicked, this, [this, row] {
            m_line->Call()->setHandle(handles()[std::size_t(row)]);
            emit callChosen();
        });
    }
    TnvEditRules::onLeavingText(EditPhoneNumber, [this](const QString& text) {
        if (m_kind == Transfer)
            m_line->Transfer()->setPhoneNumber(text);
        else
            m_line->Conference()->setPhoneNumber(text);
    });
    connect(ButtonDial, &QPushButton::clicked, this, [this] { dial(); });
    for (int i = 0; i < 3; ++i)
        connect(operationButtons[std::size_t(i)], &QPushButton::clicked, this, [this, i] { operate(i); });
    pages->addTab(control, QStringLiteral("Control"));

    auto* parametersPage = new QScrollArea;
    parametersPage->setObjectName(QStringLiteral("TabSheet%1Parameters").arg(word));
    parameters = new TnvCallParametersBox(transfer ? QStringLiteral("TP") : QStringLiteral("ConferenceP"),
                                          word + QStringLiteral(".Parameters"));
    if (transfer)
        parameters->attach(line->Transfer()->Parameters());
    else
        parameters->attach(line->Conference()->Parameters(), true);
    parametersPage->setWidget(parameters);
    parametersPage->setWidgetResizable(true);
    pages->addTab(parametersPage, QStringLiteral("Parameters"));
    pages->setCurrentIndex(0);
    m_rowPictures.fill(TnvLineVantageArt::OnGray);
}

std::array<quint32, 3> TnvLineJoinPage::handles() const
{
    if (m_kind == Transfer) {
        const TnvTransfer* t = m_line->Transfer();
        return {t->PrimaryCall(), t->ConsultCall(), t->ThreeWayCall()};
    }
    const TnvConference* c = m_line->Conference();
    return {c->PrimaryCall(), c->ConsultCall(), c->Handle()};
}

bool TnvLineJoinPage::refresh(int handle)
{
    const std::array<quint32, 3> calls = handles();
    TnvQuietWriter::setComboText(ComboBoxPrimaryCall, handleText(calls[0]));
    TnvQuietWriter::setComboText(ComboBoxConsultCall, handleText(calls[1]));
    TnvQuietWriter::setText(EditThirdCall, handleText(calls[2]));

    for (int row = 0; row < 3; ++row) {
        if (handle == 0) {
            paintRow(row, TnvLineVantageArt::OnGray);
            continue;
        }
        const quint32 call = calls[std::size_t(row)];
        // An emptied row (the call went idle, the transfer completed) shows no call.
        if (call == 0) {
            paintRow(row, TnvLineVantageArt::OnGray);
            continue;
        }
        if (handle != -1 && call != quint32(handle))
            continue;
        // A call whose state is not known keeps the picture it has.
        const qint32 state = qint32(m_line->Call()->StateOf(call));
        if (state > 0)
            paintRow(row, TnvLineVantageArt::pictureFor(quint32(state), true));
    }
    return calls[0] != 0;
}

void TnvLineJoinPage::paintRow(int row, TnvLineVantageArt::Picture picture)
{
    if (m_rowPictures[std::size_t(row)] == picture)
        return;
    m_rowPictures[std::size_t(row)] = picture;
    images[std::size_t(row)]->setPixmap(TnvLineVantageArt::picture(picture));
}

void TnvLineJoinPage::showPhoneNumber()
{
    TnvQuietWriter::setText(EditPhoneNumber, m_kind == Transfer ? m_line->Transfer()->PhoneNumber()
                                                                : m_line->Conference()->PhoneNumber());
}

void TnvLineJoinPage::refreshParameters()
{
    parameters->refresh(m_kind == Transfer ? m_line->Transfer()->Parameters() : m_line->Conference()->Parameters());
}

// --- Commands --------------------------------------------------------------------

void TnvLineJoinPage::dial()
{
    TnvEditRules::leave(EditPhoneNumber);
    if (m_kind == Transfer)
        m_line->Transfer()->Dial();
    else
        m_line->Conference()->Dial();
}

void TnvLineJoinPage::operate(int index)
{
    if (m_kind == Transfer) {
        TnvTransfer* t = m_line->Transfer();
        if (index == 0)
            t->SwapHold();
        else if (index == 1)
            t->Complete();
        else
            t->ThreeWay();
        return;
    }
    TnvConference* c = m_line->Conference();
    if (index == 0)
        c->AddCall();
    else if (index == 1)
        c->RemoveCall();
    else
        c->SwapHold();
}

void TnvLineJoinPage::fillCallList(QComboBox* box, const QStringList& source)
{
    // The user's text stays; only the entries are renewed, and no change action runs.
    const QString text = box->currentText();
    const QSignalBlocker block(box);
    QStringList entries = source;
    if (!entries.isEmpty()) {
        bool ok = false;
        const quint32 first = entries.constFirst().toUInt(&ok, 16);
        if (!ok || first == 0)
            entries.removeFirst();
    }
    box->clear();
    box->addItems(entries);
    box->setEditText(text);
}
