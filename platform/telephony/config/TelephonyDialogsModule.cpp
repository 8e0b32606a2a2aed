// The module that holds the service's dialogs; TelephonyDialogs::get() loads it.

#include "ConfigDialog.h"
#include "TelephonyDialogs.h"
#include "TranslateDialog.h"

#include <QWidget>

namespace Telephony {

namespace {

class DialogsModule : public TelephonyDialogs {
public:
    bool editSettings(const QString& deviceName, QVariantMap& settings, void* owner) override
    {
        ConfigDialog dialog(deviceName, settings, static_cast<QWidget*>(owner));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        settings = dialog.settings();
        return true;
    }

    bool editLocations(LocationStore& store, const QString& address, void* owner) override
    {
        TranslateDialog dialog(store, address, static_cast<QWidget*>(owner));
        return dialog.exec() == QDialog::Accepted;
    }
};

} // namespace

} // namespace Telephony

extern "C" Q_DECL_EXPORT Telephony::TelephonyDialogs* linkora_telephony_dialogs()
{
    static Telephony::DialogsModule dialogs;
    return &dialogs;
}
