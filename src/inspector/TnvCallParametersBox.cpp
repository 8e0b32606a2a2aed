#include "TnvCallParametersBox.h"

#include "TnvEditRules.h"
#include "TnvQuietWriter.h"

#include <TnvCallParameters.h>
#include <TnvNotation.h>

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

TnvCallParametersBox::TnvCallParametersBox(const QString& prefix, const QString& path, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel%1Parameters").arg(prefix));
    const QString hint = QStringLiteral("nvLine.") + path + QLatin1Char('.');
    auto* form = new QFormLayout(this);
    form->setContentsMargins(6, 6, 6, 6);
    form->setVerticalSpacing(3);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    CheckBoxDefaults = new QCheckBox(QStringLiteral("Defaults"), this);
    CheckBoxDefaults->setObjectName(QStringLiteral("CheckBox%1Defaults").arg(prefix));
    CheckBoxDefaults->setToolTip(hint + QStringLiteral("Defaults"));
    form->addRow(CheckBoxDefaults);

    const auto addEdit = [&](const char* property, QLineEdit*& edit) {
        const QString name = QLatin1String(property);
        edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1%2").arg(prefix, name));
        edit->setToolTip(hint + name);
        edit->setFixedWidth(90);
        form->addRow(name, edit);
    };
    addEdit("AddressID", EditAddressID);
    addEdit("BearerMode", EditBearerMode);
    addEdit("Flags", EditFlags);
    addEdit("MediaMode", EditMediaMode);
    addEdit("NoAnswerTimeOut", EditNoAnswerTimeOut);
}

void TnvCallParametersBox::attach(TnvCallParameters* parameters, bool flagsOnEveryChange)
{
    connect(CheckBoxDefaults, &QCheckBox::clicked, this, [parameters](bool checked) { parameters->setDefaults(checked); });
    TnvEditRules::onLeavingDecimal(EditAddressID, [parameters](int value) { parameters->setAddressID(value); });
    TnvEditRules::onLeavingHex(
        EditBearerMode, [parameters](quint32 value) { parameters->setBearerMode(value); },
        [parameters] { return parameters->BearerMode(); });
    if (flagsOnEveryChange) {
        // Typed text only: the refreshes write this box too.
        connect(EditFlags, &QLineEdit::textEdited, this,
                [parameters](const QString& text) { parameters->setFlags(TnvEditRules::readHex(text)); });
    } else {
        TnvEditRules::onLeavingHex(
            EditFlags, [parameters](quint32 value) { parameters->setFlags(value); },
            [parameters] { return parameters->Flags(); });
    }
    TnvEditRules::onLeavingHex(
        EditMediaMode, [parameters](quint32 value) { parameters->setMediaMode(value); },
        [parameters] { return parameters->MediaMode(); });
    TnvEditRules::onLeavingDecimal(EditNoAnswerTimeOut, [parameters](int value) { parameters->setNoAnswerTimeout(value); });
}

void TnvCallParametersBox::refresh(const TnvCallParameters* parameters)
{
    TnvQuietWriter::setChecked(CheckBoxDefaults, parameters->Defaults());
    TnvQuietWriter::setText(EditAddressID, QString::number(parameters->AddressID()));
    TnvQuietWriter::setText(EditBearerMode, TnvNotation::hex8(parameters->BearerMode()));
    TnvQuietWriter::setText(EditFlags, TnvNotation::hex8(parameters->Flags()));
    TnvQuietWriter::setText(EditMediaMode, TnvNotation::hex8(parameters->MediaMode()));
    TnvQuietWriter::setText(EditNoAnswerTimeOut, QString::number(parameters->NoAnswerTimeout()));
}
