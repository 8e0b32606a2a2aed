#include "LocationForm.h"

#include "DialingLocations.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace Telephony {

LocationForm::LocationForm(QWidget* parent)
    : QWidget(parent)
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("editName"));
    m_name->setMaxLength(DialingLocations::maxNameLength);
    connect(m_name, &QLineEdit::textChanged, this, &LocationForm::announceEdit);

    const QString digits = QStringLiteral("[0-9]{0,%1}");
    const QString dialCode = QStringLiteral("[0-9*#,]{0,%1}");
    m_countryCode = addCodeField(QStringLiteral("editCountryCode"), QStringLiteral("[1-9][0-9]{0,2}"), 3);
    m_areaCode = addCodeField(QStringLiteral("editAreaCode"), digits.arg(DialingLocations::maxAreaCodeLength),
                              DialingLocations::maxAreaCodeLength);
    m_localAccess = addCodeField(QStringLiteral("editLocalAccessCode"),
                                 dialCode.arg(DialingLocations::maxAccessCodeLength), DialingLocations::maxAccessCodeLength);
    m_longDistanceAccess = addCodeField(QStringLiteral("editLongDistanceAccessCode"),
                                        dialCode.arg(DialingLocations::maxAccessCodeLength),
                                        DialingLocations::maxAccessCodeLength);
    m_longDistancePrefix = addCodeField(QStringLiteral("editLongDistancePrefix"),
                                        digits.arg(DialingLocations::maxPrefixLength), DialingLocations::maxPrefixLength);
    m_internationalPrefix = addCodeField(QStringLiteral("editInternationalPrefix"),
                                         digits.arg(DialingLocations::maxPrefixLength), DialingLocations::maxPrefixLength);
    m_cancelCallWaiting = addCodeField(QStringLiteral("editCancelCallWaiting"),
                                       dialCode.arg(DialingLocations::maxAccessCodeLength),
                                       DialingLocations::maxAccessCodeLength);

    m_areaCode->setPlaceholderText(tr("none"));
    m_localAccess->setPlaceholderText(tr("none, e.g. 9"));
    m_longDistanceAccess->setPlaceholderText(tr("none, e.g. 9"));
    m_cancelCallWaiting->setPlaceholderText(tr("none, e.g. *70"));

    m_tone = new QRadioButton(tr("&Tone"), this);
    m_tone->setObjectName(QStringLiteral("radioTone"));
    m_pulse = new QRadioButton(tr("&Pulse"), this);
    m_pulse->setObjectName(QStringLiteral("radioPulse"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_tone);
    group->addButton(m_pulse);
    m_tone->setChecked(true);
    connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
        if (checked)
            announceEdit();
    });
    auto* dialMode = new QHBoxLayout;
    dialMode->addWidget(m_tone);
    dialMode->addWidget(m_pulse);
    dialMode->addStretch();

    form->addRow(tr("&Name:"), m_name);
    form->addRow(tr("&Country code:"), m_countryCode);
    form->addRow(tr("&Area code:"), m_areaCode);
    form->addRow(tr("Outside line for &local calls:"), m_localAccess);
    form->addRow(tr("Outside line for long &distance:"), m_longDistanceAccess);
    form->addRow(tr("Long distance &prefix:"), m_longDistancePrefix);
    form->addRow(tr("&International prefix:"), m_internationalPrefix);
    form->addRow(tr("Disable call &waiting with:"), m_cancelCallWaiting);
    form->addRow(tr("Dial using:"), dialMode);
}

QLineEdit* LocationForm::addCodeField(const QString& objectName, const QString& pattern, int maxLength)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    edit->setMaxLength(maxLength);
    // The validator refuses keystrokes the code may never hold; lengths and empty
    // required fields are reported by the dialog instead.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    connect(edit, &QLineEdit::textChanged, this, &LocationForm::announceEdit);
    return edit;
}

void LocationForm::setLocation(const DialingLocation& location)
{
    m_updating = true;
    m_id = location.id;
    m_name->setText(location.name);
    m_countryCode->setText(location.countryCode ? QString::number(location.countryCode) : QString());
    m_areaCode->setText(location.areaCode);
    m_localAccess->setText(location.localAccessCode);
    m_longDistanceAccess->setText(location.longDistanceAccessCode);
    m_longDistancePrefix->setText(location.longDistancePrefix);
    m_internationalPrefix->setText(location.internationalPrefix);
    m_cancelCallWaiting->setText(location.cancelCallWaiting);
    (location.pulseDialing ? m_pulse : m_tone)->setChecked(true);
    m_updating = false;
}

DialingLocation LocationForm::location() const
{
    DialingLocation location;
    location.id = m_id;
    location.name = m_name->text().trimmed();
    bool ok = false;
    const uint country = m_countryCode->text().toUInt(&ok);
    location.countryCode = ok ? country : 0; // 0 fails the check and blocks OK
    location.areaCode = m_areaCode->text();
    location.localAccessCode = m_localAccess->text();
    location.longDistanceAccessCode = m_longDistanceAccess->text();
    location.longDistancePrefix = m_longDistancePrefix->text();
    location.internationalPrefix = m_internationalPrefix->text();
    location.cancelCallWaiting = m_cancelCallWaiting->text();
    location.pulseDialing = m_pulse->isChecked();
    return location;
}

void LocationForm::focusName()
{
    m_name->setFocus();
    m_name->selectAll();
}

void LocationForm::announceEdit()
{
    if (!m_updating)
        emit edited();
}

} // namespace Telephony
