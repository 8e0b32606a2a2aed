#include "TnvWaveBufferPage.h"

#include "TnvBufferPicker.h"
#include "TnvDropDownBox.h"
#include "TnvEditRules.h"
#include "TnvQuietWriter.h"

#include <TnvHostServices.h>
#include <TnvNotation.h>
#include <TnvVantage.h>
#include <TnvWaveBuffer.h>
#include <TnvWaveControl.h>

#include <QButtonGroup>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kInfoNames[] = {"Author", "Category", "Comments", "Copyright", "Keywords", "Subject", "Name"};

QLineEdit* makeBufferEdit(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QToolButton* makeFileButton(QWidget* parent, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setFixedSize(23, 22);
    return button;
}

QComboBox* makeFileBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

} // namespace

TnvWaveBufferPage::TnvWaveBufferPage(TnvWaveControl* control, FileChooser chooseFiles, QWidget* parent)
    : QWidget(parent)
    , m_control(control)
    , m_chooseFiles(std::move(chooseFiles))
    , m_kind(TnvSharedControl::KindText(control->Kind()))
{
    setObjectName(QStringLiteral("TabSheetSourceBuffer"));
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBoxSourceBuffer"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget;
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(4, 4, 2, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    int row = 0;

    auto* active = new QGroupBox(QStringLiteral("Active"), body);
    active->setObjectName(QStringLiteral("GroupBoxSourceBufferActive"));
    auto* activeRow = new QHBoxLayout(active);
    activeRow->setContentsMargins(6, 0, 6, 2);
    RadioButtonSourceBufferActiveTrue = new QRadioButton(QStringLiteral("True"), active);
    RadioButtonSourceBufferActiveTrue->setObjectName(QStringLiteral("RadioButtonSourceBufferActiveTrue"));
    RadioButtonSourceBufferActiveFalse = new QRadioButton(QStringLiteral("False"), active);
    RadioButtonSourceBufferActiveFalse->setObjectName(QStringLiteral("RadioButtonSourceBufferActiveFalse"));
    RadioButtonSourceBufferActiveFalse->setChecked(true);
    activeRow->addWidget(RadioButtonSourceBufferActiveTrue);
    activeRow->addWidget(RadioButtonSourceBufferActiveFalse);
    activeRow->addStretch();
    auto* handleGroup = new QGroupBox(QStringLiteral("Handle"), body);
    handleGroup->setObjectName(QStringLiteral("GroupBoxSourceBufferHandle"));
    auto* handleRow = new QHBoxLayout(handleGroup);
    handleRow->setContentsMargins(6, 0, 6, 2);
    ComboBoxSourceBufferHandle = new TnvDropDownBox(handleGroup);
    ComboBoxSourceBufferHandle->setObjectName(QStringLiteral("ComboBoxSourceBufferHandle"));
    ComboBoxSourceBufferHandle->setEditable(true);
    ComboBoxSourceBufferHandle->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxSourceBufferHandle->setEditText(QStringLiteral("00000000"));
    handleRow->addWidget(ComboBoxSourceBufferHandle, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(active);
    top->addWidget(handleGroup, 1);
    grid->addLayout(top, row++, 0, 1, 3);

    makeInfoEdits(grid, row);
    makeOperations(grid, row);
    grid->setRowStretch(row, 1);

    scroll->setWidget(body);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    // A click on either button sets Active; only the user's clicks get here.
    for (QRadioButton* radio : {RadioButtonSourceBufferActiveTrue, RadioButtonSourceBufferActiveFalse})
        connect(radio, &QRadioButton::clicked, this, [this] { activeClicked(); });
    ComboBoxSourceBufferHandle->setBeforeDropDown([this] {
        if (m_control)
            TnvQuietWriter::setList(ComboBoxSourceBufferHandle, TnvWaveBuffer::List(), -1);
        TnvQuietWriter::setComboText(ComboBoxSourceBufferHandle, TnvNotation::hex8(m_control ? buffer()->Handle() : 0));
    });
    TnvEditRules::onEntryChosen(ComboBoxSourceBufferHandle, [this](const QString& text) { handleChosen(text); });
    applyNotation();
}

void TnvWaveBufferPage::makeInfoEdits(QGridLayout* grid, int& row)
{
    QWidget* body = grid->parentWidget();
    QLineEdit** edits[] = {&EditSourceBufferAuthor,   &EditSourceBufferCategory, &EditSourceBufferComments,
                           &EditSourceBufferCopyright, &EditSourceBufferKeywords, &EditSourceBufferSubject,
                           &EditSourceBufferName};
    using Setter = void (TnvWaveBuffer::*)(const QString&);
    const Setter setters[] = {&TnvWaveBuffer::setAuthor,   &TnvWaveBuffer::setCategory, &TnvWaveBuffer::setComments,
                              &TnvWaveBuffer::setCopyright, &TnvWaveBuffer::setKeywords, &TnvWaveBuffer::setSubject,
                              &TnvWaveBuffer::setName};
    for (int i = 0; i < 7; ++i) {
        const QString name = QLatin1String(kInfoNames[i]);
        auto* label = new QLabel(name, body);
        label->setObjectName(QStringLiteral("LabelSourceBuffer") + name);
        auto* edit = new QLineEdit(body);
        edit->setObjectName(QStringLiteral("EditSourceBuffer") + name);
        *edits[i] = edit;
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1, 1, 2);
        // Typing changes the text at once; refreshes write with the signals blocked.
        const Setter setter = setters[i];
        connect(edit, &QLineEdit::textChanged, this, [this, setter](const QString& text) {
            if (m_control)
                (buffer()->*setter)(text);
        });
    }
    auto* label = new QLabel(QStringLiteral("CreationDate"), body);
    label->setObjectName(QStringLiteral("LabelSourceBufferCreationDate"));
    EditSourceBufferCreationDate = makeBufferEdit(body, "EditSourceBufferCreationDate", QStringLiteral("<Unavailable>"));
    grid->addWidget(label, row, 0);
    grid->addWidget(EditSourceBufferCreationDate, row++, 1, 1, 2);
    TnvEditRules::onLeaving(EditSourceBufferCreationDate, [this] { creationDateLeft(); });
}

void TnvWaveBufferPage::makeOperations(QGridLayout* grid, int& row)
{
    QWidget* body = grid->parentWidget();
    const auto small = [](QLineEdit* edit) {
        edit->setMaximumWidth(90);
        return edit;
    };
    ButtonBufferCreate = makeButton(body, "ButtonBufferCreate", QStringLiteral("CreateBuffer"));
    EditCreatBuffer = small(makeBufferEdit(body, "EditCreatBuffer", QStringLiteral("0")));
    grid->addWidget(ButtonBufferCreate, row, 0);
    grid->addWidget(EditCreatBuffer, row++, 1, Qt::AlignLeft);
    ButtonBufferFreeBuffer = makeButton(body, "ButtonBufferFreeBuffer", QStringLiteral("FreeBuffer"));
    grid->addWidget(ButtonBufferFreeBuffer, row++, 0);
    ButtonBufferDeleteBefore = makeButton(body, "ButtonBufferDeleteBefore", QStringLiteral("DeleteBefore"));
    EditBufferDeleteBefore = small(makeBufferEdit(body, "EditBufferDeleteBefore", QStringLiteral("0")));
    grid->addWidget(ButtonBufferDeleteBefore, row, 0);
    grid->addWidget(EditBufferDeleteBefore, row++, 1, Qt::AlignLeft);
    ButtonBufferDeleteAfter = makeButton(body, "ButtonBufferDeleteAfter", QStringLiteral("DeleteAfter"));
    EditBufferDeleteAfter = small(makeBufferEdit(body, "EditBufferDeleteAfter", QStringLiteral("0")));
    grid->addWidget(ButtonBufferDeleteAfter, row, 0);
    grid->addWidget(EditBufferDeleteAfter, row++, 1, Qt::AlignLeft);

    ButtonBufferLoadFromFile = makeButton(body, "ButtonBufferLoadFromFile", QStringLiteral("LoadFromFile"));
    ComboBoxBufferLoadFromFile = makeFileBox(body, "ComboBoxBufferLoadFromFile");
    SpeedButtonBufferLoadFromFile = makeFileButton(body, "SpeedButtonBufferLoadFromFile");
    grid->addWidget(ButtonBufferLoadFromFile, row, 0);
    grid->addWidget(ComboBoxBufferLoadFromFile, row, 1);
    grid->addWidget(SpeedButtonBufferLoadFromFile, row++, 2);
    ButtonBufferSaveToFile = makeButton(body, "ButtonBufferSaveToFile", QStringLiteral("SaveToFile"));
    ComboBoxBufferSaveToFile = makeFileBox(body, "ComboBoxBufferSaveToFile");
    SpeedButtonBufferSaveToFile = makeFileButton(body, "SpeedButtonBufferSaveToFile");
    grid->addWidget(ButtonBufferSaveToFile, row, 0);
    grid->addWidget(ComboBoxBufferSaveToFile, row, 1);
    grid->addWidget(SpeedButtonBufferSaveToFile, row++, 2);
    ButtonSourceBufferLoadFromBuffers = makeButton(body, "ButtonSourceBufferLoadFromBuffers", QStringLiteral("LoadFromBuffers"));
    ComboBoxLoadFromBuffer = new TnvBufferPicker([] { return TnvWaveBuffer::List(); }, body);
    ComboBoxLoadFromBuffer->setObjectName(QStringLiteral("ComboBoxLoadFromBuffer"));
    grid->addWidget(ButtonSourceBufferLoadFromBuffers, row, 0);
    grid->addWidget(ComboBoxLoadFromBuffer, row++, 1);

    connect(ButtonBufferCreate, &QPushButton::clicked, this, [this] {
        if (m_control)
            buffer()->CreateBuffer(TnvEditRules::readDecimal(EditCreatBuffer->text()));
    });
    connect(ButtonBufferFreeBuffer, &QPushButton::clicked, this, [this] {
        if (m_control)
            buffer()->FreeBuffer();
    });
    connect(ButtonBufferDeleteBefore, &QPushButton::clicked, this, [this] { cut(EditBufferDeleteBefore, true); });
    connect(ButtonBufferDeleteAfter, &QPushButton::clicked, this, [this] { cut(EditBufferDeleteAfter, false); });
    connect(ButtonBufferLoadFromFile, &QPushButton::clicked, this, [this] {
        if (m_control)
            buffer()->LoadFromFile(ComboBoxBufferLoadFromFile->currentText());
    });
    connect(ButtonBufferSaveToFile, &QPushButton::clicked, this, [this] {
        if (m_control)
            buffer()->SaveToFile(ComboBoxBufferSaveToFile->currentText());
    });
    connect(ButtonSourceBufferLoadFromBuffers, &QPushButton::clicked, this, [this] {
        if (m_control)
            buffer()->LoadFromBuffers(ComboBoxLoadFromBuffer->currentText());
    });
    connect(SpeedButtonBufferLoadFromFile, &QToolButton::clicked, this, [this] {
        if (m_control && m_chooseFiles)
            m_chooseFiles(ComboBoxBufferLoadFromFile, true);
    });
    connect(SpeedButtonBufferSaveToFile, &QToolButton::clicked, this, [this] {
        if (m_control && m_chooseFiles)
            m_chooseFiles(ComboBoxBufferSaveToFile, false);
    });
}

TnvWaveBuffer* TnvWaveBufferPage::buffer() const
{
    return m_control->Source()->Buffer();
}

QString TnvWaveBufferPage::dateText(const QDateTime& value)
{
    if (!value.isValid())
        return QStringLiteral("<Unavailable>");
    return QLocale::system().toString(value, QLocale::ShortFormat);
}

void TnvWaveBufferPage::refresh()
{
    if (!m_control)
        return;
    const TnvWaveBuffer* b = buffer();
    TnvQuietWriter::setChecked(b->Active() ? RadioButtonSourceBufferActiveTrue : RadioButtonSourceBufferActiveFalse, true);
    TnvQuietWriter::setComboText(ComboBoxSourceBufferHandle, TnvNotation::hex8(b->Handle()));
    const QString texts[] = {b->Author(), b->Category(), b->Comments(), b->Copyright(), b->Keywords(), b->Subject(), b->Name()};
    QLineEdit* const edits[] = {EditSourceBufferAuthor,   EditSourceBufferCategory, EditSourceBufferComments,
                                EditSourceBufferCopyright, EditSourceBufferKeywords, EditSourceBufferSubject,
                                EditSourceBufferName};
    for (int i = 0; i < 7; ++i)
        TnvQuietWriter::setText(edits[i], texts[i]);
    TnvQuietWriter::setText(EditSourceBufferCreationDate, dateText(b->CreationDate()));
}

void TnvWaveBufferPage::applyNotation()
{
    if (!m_control)
        return;
    TnvVantage* vantage = m_control->Vantage();
    const auto hint = [&](QWidget* widget, const QString& member) {
        widget->setToolTip(vantage->Notate(m_kind + QStringLiteral("~Source.Buffer.") + member));
    };
    hint(RadioButtonSourceBufferActiveTrue, QStringLiteral("Active"));
    hint(RadioButtonSourceBufferActiveFalse, QStringLiteral("Active"));
    hint(ComboBoxSourceBufferHandle, QStringLiteral("Handle"));
    QLineEdit* const edits[] = {EditSourceBufferAuthor,   EditSourceBufferCategory, EditSourceBufferComments,
                                EditSourceBufferCopyright, EditSourceBufferKeywords, EditSourceBufferSubject,
                                EditSourceBufferName};
    for (int i = 0; i < 7; ++i)
        hint(edits[i], QLatin1String(kInfoNames[i]));
    hint(EditSourceBufferCreationDate, QStringLiteral("CreationDate"));
    for (QWidget* w : {static_cast<QWidget*>(ButtonBufferCreate), static_cast<QWidget*>(EditCreatBuffer)})
        hint(w, QStringLiteral("CreateBuffer (Size) //bytes"));
    hint(ButtonBufferFreeBuffer, QStringLiteral("FreeBuffer"));
    for (QWidget* w : {static_cast<QWidget*>(ButtonBufferDeleteBefore), static_cast<QWidget*>(EditBufferDeleteBefore)})
        hint(w, QStringLiteral("DeleteBefore (Seconds) //Double"));
    for (QWidget* w : {static_cast<QWidget*>(ButtonBufferDeleteAfter), static_cast<QWidget*>(EditBufferDeleteAfter)})
        hint(w, QStringLiteral("DeleteAfter (Seconds) //Double"));
    for (QWidget* w : {static_cast<QWidget*>(ButtonBufferLoadFromFile), static_cast<QWidget*>(ComboBoxBufferLoadFromFile),
                       static_cast<QWidget*>(SpeedButtonBufferLoadFromFile)})
        hint(w, QStringLiteral("LoadFromFile (FileNames) //String"));
    for (QWidget* w : {static_cast<QWidget*>(ButtonBufferSaveToFile), static_cast<QWidget*>(ComboBoxBufferSaveToFile),
                       static_cast<QWidget*>(SpeedButtonBufferSaveToFile)})
        hint(w, QStringLiteral("SaveToFile (FileName) //String"));
    for (QWidget* w : {static_cast<QWidget*>(ButtonSourceBufferLoadFromBuffers), static_cast<QWidget*>(ComboBoxLoadFromBuffer)})
        hint(w, QStringLiteral("LoadFromBuffers (Handles) //String"));
}

void TnvWaveBufferPage::activeClicked()
{
    if (!m_control)
        return;
    TnvWaveBuffer* b = buffer();
    b->setActive(RadioButtonSourceBufferActiveTrue->isChecked());
    // The buffer may refuse (a device at work, a handle not registered).
    TnvQuietWriter::setChecked(b->Active() ? RadioButtonSourceBufferActiveTrue : RadioButtonSourceBufferActiveFalse, true);
}

void TnvWaveBufferPage::handleChosen(const QString& text)
{
    if (!m_control)
        return;
    TnvWaveBuffer* b = buffer();
    b->setHandle(TnvEditRules::readHex(text));
    TnvQuietWriter::setComboText(ComboBoxSourceBufferHandle, TnvNotation::hex8(b->Handle()));
}

void TnvWaveBufferPage::creationDateLeft()
{
    // Only a text the user typed is read: passing through the box changes nothing.
    if (!m_control || !EditSourceBufferCreationDate->isModified())
        return;
    EditSourceBufferCreationDate->setModified(false);
    const QString text = EditSourceBufferCreationDate->text().trimmed();
    const QLocale locale = QLocale::system();
    QDateTime value = locale.toDateTime(text, QLocale::ShortFormat);
    if (!value.isValid()) {
        const QDate date = locale.toDate(text, QLocale::ShortFormat);
        if (date.isValid())
            value = date.startOfDay();
    }
    if (!value.isValid()) {
        TnvPrompt error;
        error.caption = m_kind;
        error.text = QStringLiteral("'%1' is not a valid date").arg(text);
        error.icon = TnvPrompt::Error;
        TnvHostServices::instance().prompt(error);
        return;
    }
    buffer()->setCreationDate(value);
}

void TnvWaveBufferPage::cut(QLineEdit* edit, bool before)
{
    if (!m_control)
        return;
    double seconds = 0;
    if (!TnvEditRules::readFraction(edit->text(), seconds)) {
        edit->setText(QStringLiteral("0"));
        return;
    }
    if (before)
        buffer()->DeleteBefore(seconds);
    else
        buffer()->DeleteAfter(seconds);
}
