#include "ConfigDialog.h"
#include "TelephonyDialogs.h"

#include "IniValue.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Telephony {

namespace {

constexpr int maxDeviceNameLength = 80;
constexpr double doubleLimit = 1e9;

// Device names come from providers; keep the title one readable line.
QString cleanName(const QString& name)
{
    QString out;
    for (QChar c : name.left(maxDeviceNameLength))
        out.append(c.category() == QChar::Other_Control ? QLatin1Char(' ') : c);
    out = out.simplified();
    return out.isEmpty() ? QObject::tr("Line device") : out;
}

// "ringDelay" reads as "Ring delay".
QString labelFor(const QString& key)
{
    QString out;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const QChar c = key[i];
        if (c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.'))
            out.append(QLatin1Char(' '));
        else if (i > 0 && c.isUpper() && key[i - 1].isLower())
            out.append(QLatin1Char(' ')).append(c.toLower());
        else
            out.append(c);
    }
    if (!out.isEmpty())
        out[0] = out[0].toUpper();
    return out + QLatin1Char(':');
}

// Enough decimals to show the value as stored, at least two, at most six.
int decimalsFor(double value)
{
    const QString text = QString::number(value, 'f', 6);
    int trailing = 0;
    while (trailing < 6 && text[text.size() - 1 - trailing] == QLatin1Char('0'))
        ++trailing;
    return std::max(2, 6 - trailing);
}

} // namespace

ConfigDialog::ConfigDialog(const QString& deviceName, const QVariantMap& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("ConfigDialog"));
    setWindowTitle(tr("Configure %1").arg(cleanName(deviceName)));

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(tr("Settings of %1").arg(cleanName(deviceName)), this);
    heading->setObjectName(QStringLiteral("labelDevice"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);

    QDialogButtonBox* buttons = nullptr;
    if (settings.isEmpty()) {
        auto* none = new QLabel(tr("This device has no settings."), this);
        none->setObjectName(QStringLiteral("labelNoSettings"));
        layout->addWidget(none);
        // Nothing to change, so there is nothing to cancel either.
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    } else {
        auto* form = new QFormLayout;
        // QVariantMap iterates in key order, which is the order the form shows.
        for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
            QWidget* editor = editorFor(it.key(), it.value());
            editor->setToolTip(it.key());
            m_editors.insert(it.key(), editor);
            form->addRow(labelFor(it.key()), editor);
        }
        layout->addLayout(form);
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("buttonCancel"));
    }
    layout->addStretch();
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("buttonOk"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConfigDialog::reject);
    setMinimumWidth(320);
}

QWidget* ConfigDialog::editorFor(const QString& key, const QVariant& value)
{
    const QString name = QStringLiteral("setting_") + key;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        auto* spin = new QDoubleSpinBox(this);
        const double v = std::isfinite(value.toDouble()) ? value.toDouble() : 0.0;
        spin->setRange(std::min(-doubleLimit, v), std::max(doubleLimit, v));
        spin->setDecimals(decimalsFor(v));
        spin->setSingleStep(std::abs(v) < 10 ? 0.1 : 1.0);
        spin->setValue(v);
        spin->setObjectName(name);
        return spin;
    }
    case QMetaType::Bool: {
        auto* box = new QCheckBox(this);
        box->setChecked(value.toBool());
        box->setObjectName(name);
        return box;
    }
    case QMetaType::Int: {
        auto* spin = new QSpinBox(this);
        spin->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        spin->setValue(value.toInt());
        spin->setObjectName(name);
        return spin;
    }
    case QMetaType::QString: {
        auto* edit = new QLineEdit(value.toString().left(IniValue::maxTextLength), this);
        edit->setMaxLength(IniValue::maxTextLength);
        edit->setObjectName(name);
        if (TelephonyDialogs::isWriteOnly(key)) {
            // A new secret: typed blind, never shown, empty unless the user sets one.
            edit->clear();
            edit->setEchoMode(QLineEdit::Password);
            edit->setPlaceholderText(tr("unchanged"));
        }
        return edit;
    }
    default: {
        // Lists and other shapes have no editor here; show them so nothing is hidden.
        auto* label = new QLabel(value.toString().left(IniValue::maxTextLength), this);
        label->setObjectName(name);
        label->setEnabled(false);
        return label;
    }
    }
}

QVariantMap ConfigDialog::settings() const
{
    QVariantMap out = m_settings;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        const QVariant original = m_settings.value(it.key());
        QVariant edited;
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(it.value()))
            edited = spin->value();
        else if (auto* box = qobject_cast<QCheckBox*>(it.value()))
            edited = box->isChecked();
        else if (auto* spin = qobject_cast<QSpinBox*>(it.value()))
            edited = spin->value();
        else if (auto* edit = qobject_cast<QLineEdit*>(it.value()))
            edited = edit->text();
        else
            continue;
        // Hand back the type the provider gave, e.g. a float stays a float.
        if (edited.typeId() != original.typeId() && edited.canConvert(original.metaType()))
            edited.convert(original.metaType());
        out.insert(it.key(), edited);
    }
    return out;
}

} // namespace Telephony
