#pragma once

#include <QDialog>
#include <QMap>
#include <QVariantMap>

namespace Telephony {

// The configuration dialog behind lineConfigDialog: a provider's settings for one
// device as a form, one editor per value type, keys in sorted order. The dialog knows
// nothing about the provider; the service hands it the map and takes settings() back.
class ConfigDialog : public QDialog {
    Q_OBJECT

public:
    ConfigDialog(const QString& deviceName, const QVariantMap& settings, QWidget* parent = nullptr);

    // The settings as edited, each value in its original type. Values the form cannot
    // edit come back unchanged.
    QVariantMap settings() const;

private:
    QWidget* editorFor(const QString& key, const QVariant& value);

    QVariantMap m_settings;
    QMap<QString, QWidget*> m_editors;
};

} // namespace Telephony
