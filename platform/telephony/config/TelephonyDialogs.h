#pragma once

#include <QString>
#include <QVariantMap>

namespace Telephony {

class LocationStore;

// The service's dialogs as the service sees them. They are widgets, so they live in a
// module of their own that is loaded on the first dialog: a program that never opens
// one, and any program without a widget application, never loads the widget libraries.
class TelephonyDialogs {
public:
    virtual ~TelephonyDialogs() = default;

    // A device's settings as a form. True when accepted; settings then hold the edit.
    virtual bool editSettings(const QString& deviceName, QVariantMap& settings, void* owner) = 0;
    // The dialing locations, with address shown translated. True when accepted; the
    // store then holds and has saved the edit.
    virtual bool editLocations(LocationStore& store, const QString& address, void* owner) = 0;

    // The dialogs from the module beside the library that holds this code, loaded on the
    // first call. Null in a program without a widget application or when the module
    // cannot be loaded (the reason then goes to the warning log once).
    static TelephonyDialogs* get();
    // Loads the module at path; null and errorText when that fails.
    static TelephonyDialogs* load(const QString& path, QString* errorText = nullptr);
    // Where get() looks for the module.
    static QString modulePath();

    // Settings whose keys end in ".newPassword" are write-only: edited blind, handed to
    // the provider, never stored in the configuration file.
    static bool isWriteOnly(const QString& key) { return key.endsWith(QLatin1String(".newPassword")); }

    // The module's file name and the function it exports.
    static constexpr const char* ModuleFileName = "liblinkora-telephony-dialogs.so";
    static constexpr const char* EntryPoint = "linkora_telephony_dialogs";
};

} // namespace Telephony
