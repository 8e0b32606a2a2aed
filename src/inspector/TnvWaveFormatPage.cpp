#include "TnvWaveFormatPage.h"

#include "TnvEditRules.h"
#include "TnvQuietWriter.h"

#include <TnvVantage.h>
#include <TnvWaveControl.h>
#include <TnvWaveFormat.h>
#include <TnvWaveNumbers.h>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The six values of the format chunk, in the page's order.
const char* const kValues[] = {"Tag", "Channels", "BitsPerSample", "AvgBytesPerSec", "BlockAlign", "SamplesPerSec"};

} // namespace

TnvWaveFormatPage::TnvWaveFormatPage(TnvWaveControl* control, bool editable, QWidget* parent)
    : QWidget(parent)
    , m_control(control)
    , m_editable(editable)
    , m_kind(TnvSharedControl::KindText(control->Kind()))
{
    setObjectName(QStringLiteral("TabSheetSourceFormat"));
    ScrollBoxSourceFormat = new QScrollArea(this);
    ScrollBoxSourceFormat->setObjectName(QStringLiteral("ScrollBoxSourceFormat"));
    ScrollBoxSourceFormat->setWidgetResizable(true);
    ScrollBoxSourceFormat->setFrameShape(QFrame::NoFrame);
    ScrollBoxSourceFormat->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget;
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(4, 4, 2, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    int row = 0;
    // The record window's labels are short until the notation writes them in full.
    const QString prefix = editable ? QString() : QStringLiteral("Format.");
    const auto label = [&](const QString& name, const QString& caption) {
        auto* made = new QLabel(caption, body);
        made->setObjectName(name);
        grid->addWidget(made, row, 0);
        return made;
    };
    const auto edit = [&](const QString& name, bool readOnly) {
        auto* made = new QLineEdit(body);
        made->setObjectName(name);
        made->setReadOnly(readOnly);
        grid->addWidget(made, row++, 1);
        return made;
    };

    LabelSourceFormatName = label(QStringLiteral("LabelSourceFormatName"), prefix + QStringLiteral("Name ="));
    if (editable) {
        ComboBoxSourceFormatName = new QComboBox(body);
        ComboBoxSourceFormatName->setObjectName(QStringLiteral("ComboBoxSourceFormatName"));
        ComboBoxSourceFormatName->setMaxVisibleItems(24);
        ComboBoxSourceFormatName->setMinimumContentsLength(24);
        grid->addWidget(ComboBoxSourceFormatName, row++, 1);
    } else {
        EditSourceFormatName = edit(QStringLiteral("EditSourceFormatName"), true);
    }
    LabelLabelFormatID = label(QStringLiteral("LabelLabelFormatID"), prefix + QStringLiteral("ID ="));
    EditFormatID = edit(QStringLiteral("EditFormatID"), true);
    if (!editable)
        EditFormatID->setText(QStringLiteral("wfIMAADPCM08000M04"));
    QLabel** labels[] = {&LabelFormatTag,           &LabelFormatChannels,  &LabelFormatBitsPerSample,
                         &LabelFormatAvgBytesPerSec, &LabelFormatBlockAlign, &LabelFormatSamplesPerSec};
    QLineEdit** edits[] = {&EditFormatTag,           &EditFormatChannels,  &EditFormatBitsPerSample,
                           &EditFormatAvgBytesPerSec, &EditFormatBlockAlign, &EditFormatSamplesPerSec};
    for (int i = 0; i < 6; ++i) {
        const QString name = QLatin1String(kValues[i]);
        *labels[i] = label(QStringLiteral("LabelFormat") + name, prefix + name + QStringLiteral(" ="));
        *edits[i] = edit(QStringLiteral("EditFormat") + name, !editable);
    }
    LabelLabelFormatBytes = label(QStringLiteral("LabelLabelFormatBytes"), prefix + QStringLiteral("Bytes = "));
    EditFormatBytes = edit(QStringLiteral("EditFormatBytes"), true);
    LabelLabelFormatSeconds = label(QStringLiteral("LabelLabelFormatSeconds"), prefix + QStringLiteral("Seconds = "));
    EditFormatSeconds = edit(QStringLiteral("EditFormatSeconds"), true);
    grid->setRowStretch(row, 1);
    ScrollBoxSourceFormat->setWidget(body);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ScrollBoxSourceFormat);

    if (!editable)
        return;
    connect(ComboBoxSourceFormatName, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_control || index < 0)
            return;
        format()->setID(TWaveFormatID(index));
        refresh();
        emit formatEdited();
    });
    wireValue(EditFormatTag, &TnvWaveFormat::setTag);
    wireValue(EditFormatChannels, &TnvWaveFormat::setChannels);
    wireValue(EditFormatBitsPerSample, &TnvWaveFormat::setBitsPerSample);
    wireValue(EditFormatAvgBytesPerSec, &TnvWaveFormat::setAvgBytesPerSec);
    wireValue(EditFormatBlockAlign, &TnvWaveFormat::setBlockAlign);
    wireValue(EditFormatSamplesPerSec, &TnvWaveFormat::setSamplesPerSec);
}

TnvWaveFormat* TnvWaveFormatPage::format() const
{
    return m_control->Source()->Format();
}

void TnvWaveFormatPage::wireValue(QLineEdit* edit, void (TnvWaveFormat::*setter)(qint32))
{
    // The page is not written back: the box keeps what was typed.
    TnvEditRules::onLeavingDecimal(edit, [this, setter](int value) {
        if (!m_control)
            return;
        (format()->*setter)(value);
        emit formatEdited();
    });
}

void TnvWaveFormatPage::fillFormatNames()
{
    if (!ComboBoxSourceFormatName)
        return;
    const QSignalBlocker block(ComboBoxSourceFormatName);
    ComboBoxSourceFormatName->clear();
    for (int id = 0; id < TnvWaveFormat::FormatCount; ++id)
        ComboBoxSourceFormatName->addItem(TnvWaveFormat::Text(TWaveFormatID(id)));
}

void TnvWaveFormatPage::refresh()
{
    if (!m_control)
        return;
    const TnvWaveFormat* f = format();
    if (ComboBoxSourceFormatName) {
        const QSignalBlocker block(ComboBoxSourceFormatName);
        ComboBoxSourceFormatName->setCurrentIndex(int(f->ID()) < ComboBoxSourceFormatName->count() ? int(f->ID()) : -1);
    } else {
        TnvQuietWriter::setText(EditSourceFormatName, f->Name());
        // A long name reads from its start.
        EditSourceFormatName->setCursorPosition(0);
    }
    TnvQuietWriter::setText(EditFormatID, TnvWaveFormat::IDName(f->ID()));
    const qint32 values[] = {f->Tag(), f->Channels(), f->BitsPerSample(), f->AvgBytesPerSec(), f->BlockAlign(), f->SamplesPerSec()};
    QLineEdit* const edits[] = {EditFormatTag,           EditFormatChannels,  EditFormatBitsPerSample,
                                EditFormatAvgBytesPerSec, EditFormatBlockAlign, EditFormatSamplesPerSec};
    for (int i = 0; i < 6; ++i)
        TnvQuietWriter::setText(edits[i], QString::number(values[i]));
    refreshSize();
}

void TnvWaveFormatPage::refreshSize()
{
    if (!m_control)
        return;
    const TnvWaveFormat* f = format();
    TnvQuietWriter::setText(EditFormatBytes, TnvWaveNumbers::bytesText(f->Bytes()));
    TnvQuietWriter::setText(EditFormatSeconds, TnvWaveNumbers::secondsText(f->Seconds()));
}

void TnvWaveFormatPage::applyNotation()
{
    if (!m_control)
        return;
    TnvVantage* vantage = m_control->Vantage();
    const auto both = [&](QLabel* label, QWidget* field, const QString& caption, const QString& hint) {
        if (m_editable)
            label->setText(vantage->Notate(caption));
        const QString notated = vantage->Notate(hint);
        label->setToolTip(notated);
        field->setToolTip(notated);
    };
    const QString source = m_kind + QStringLiteral("~Source.Format.");
    if (m_editable) {
        both(LabelSourceFormatName, ComboBoxSourceFormatName, QStringLiteral("Format.Name ="), m_kind + QStringLiteral("~Format.Name"));
        both(LabelLabelFormatID, EditFormatID, QStringLiteral("Format.ID ="), source + QStringLiteral("ID"));
    } else {
        both(LabelSourceFormatName, EditSourceFormatName, QString(), source + QStringLiteral("Name"));
        both(LabelLabelFormatID, EditFormatID, QString(), source + QStringLiteral("ID"));
    }
    QLabel* const labels[] = {LabelFormatTag,           LabelFormatChannels,  LabelFormatBitsPerSample,
                              LabelFormatAvgBytesPerSec, LabelFormatBlockAlign, LabelFormatSamplesPerSec};
    QLineEdit* const edits[] = {EditFormatTag,           EditFormatChannels,  EditFormatBitsPerSample,
                                EditFormatAvgBytesPerSec, EditFormatBlockAlign, EditFormatSamplesPerSec};
    for (int i = 0; i < 6; ++i) {
        const QString name = QLatin1String(kValues[i]);
        both(labels[i], edits[i], QStringLiteral("Format.") + name + QStringLiteral(" ="), source + name);
    }
    both(LabelLabelFormatBytes, EditFormatBytes, QStringLiteral("Format.Bytes = "), source + QStringLiteral("Bytes"));
    both(LabelLabelFormatSeconds, EditFormatSeconds, QStringLiteral("Format.Seconds = "), source + QStringLiteral("Seconds"));
    if (!m_editable) {
        // The play window names the whole page.
        const QString page = vantage->Notate(m_kind + QStringLiteral("~Format"));
        ScrollBoxSourceFormat->setToolTip(page);
        EditSourceFormatName->setToolTip(vantage->Notate(source + QStringLiteral("Name")));
    }
}
