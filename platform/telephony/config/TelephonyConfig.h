#pragma once

#include "DialingLocation.h"
#include "LocationStore.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace Telephony {

// One configured provider: its factory name and the settings it is created with.
struct ProviderConfig {
    QString name;
    QVariantMap settings;

    bool operator==(const ProviderConfig&) const = default;
};

// The service's configuration file: the providers in the order they are started, the
// dialing locations and which one is current. A missing file means the defaults (the
// simulated exchange and one location), so the service runs without any set-up; a
// damaged file costs only what is damaged, each loss reported in warnings().
class TelephonyConfig : public QObject, public LocationStore {
    Q_OBJECT

public:
    static constexpr int formatVersion = 1;
    static constexpr int maxProviders = 32;
    // Enough for a SIP provider with hundreds of accounts, a few keys each.
    static constexpr int maxSettings = 16384;
    // The simulated exchange's slowest pacing; 0 means no delays at all.
    static constexpr double maxPacing = 1000.0;

    // Uses defaultPath().
    explicit TelephonyConfig(QObject* parent = nullptr);
    explicit TelephonyConfig(const QString& path, QObject* parent = nullptr);
    ~TelephonyConfig() override;

    // "<user configuration folder>/linkora/telephony.conf".
    static QString defaultPath();
    static ProviderConfig defaultProvider();

    QString path() const { return m_path; }

    // Replaces everything with the file's contents. True when the file was missing or
    // read without a warning; on false the warnings say what was dropped. Only a regular
    // file is read, and opening it never blocks (a FIFO at the path is refused).
    bool load();
    // Writes the whole configuration atomically; on failure the old file stays and
    // errorText (when given) says why. Refused while loadProblem() is set: a file that
    // could not be read is never replaced by the defaults that stood in for it.
    bool save(QString* errorText = nullptr);
    // Replaces everything with what text holds, as load() does with the file's contents
    // (warnings name the path, loadProblem() is set when the text is unreadable).
    bool loadText(const QByteArray& text);
    // The file's contents as save() writes them.
    QByteArray toText() const;
    // What the last load() dropped or replaced by a default, one sentence each.
    QStringList warnings() const { return m_warnings; }
    // Why the last load() could not read the file at all (unreadable, not a regular
    // file, not UTF-8 text, too large); empty when it was read or did not exist.
    QString loadProblem() const { return m_loadProblem; }

    QList<ProviderConfig> providers() const { return m_providers; }
    // False (nothing changed) for an unknown provider or settings the file cannot hold.
    bool setProviderSettings(const QString& name, const QVariantMap& settings);

    QList<DialingLocation> locations() const override { return m_locations; }
    DialingLocation currentLocation() const;
    DWORD currentLocationId() const override { return m_currentLocationId; }
    // False (nothing changed) unless every location passes DialingLocations::checkLocations.
    // The current location stays when its id is still there, else the first becomes current.
    bool setLocations(const QList<DialingLocation>& locations);
    bool setCurrentLocationId(DWORD id);
    bool replaceLocations(const QList<DialingLocation>& locations, DWORD currentId, QString* errorText) override;

    static bool isValidProviderName(const QString& name);
    static bool isValidSettingKey(const QString& key);
    // Empty when the settings can be stored, otherwise why not.
    static QString checkSettings(const QVariantMap& settings);

signals:
    // The locations or the current location changed.
    void locationsChanged();
    void providerSettingsChanged(const QString& name);

private:
    bool takeText(const QByteArray& text, const QString& unreadable);
    void replaceAll(const QList<ProviderConfig>& providers, const QList<DialingLocation>& locations,
                    DWORD currentId);

    QString m_path;
    QList<ProviderConfig> m_providers;
    QList<DialingLocation> m_locations;
    DWORD m_currentLocationId = 0;
    QStringList m_warnings;
    QString m_loadProblem;
};

} // namespace Telephony
