#include "TelephonyConfig.h"

#include "DialingLocations.h"
#include "IniDocument.h"
#include "IniValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <VisibleText.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

namespace Telephony {

namespace {

const QString serviceSection = QStringLiteral("service");
const QString providerSection = QStringLiteral("provider");
const QString locationSection = QStringLiteral("location");

// The dialing codes stored as text, in the order they are written.
struct TextField {
    QLatin1String key;
    QString DialingLocation::*member;
    bool (*isValid)(const QString&);
    QLatin1String rule;
};

const TextField textFields[] = {
    {QLatin1String("areaCode"), &DialingLocation::areaCode, &DialingLocations::isValidAreaCode,
     QLatin1String("up to 8 digits")},
    {QLatin1String("localAccessCode"), &DialingLocation::localAccessCode, &DialingLocations::isValidAccessCode,
     QLatin1String("up to 16 of 0-9 * # ,")},
    {QLatin1String("longDistanceAccessCode"), &DialingLocation::longDistanceAccessCode,
     &DialingLocations::isValidAccessCode, QLatin1String("up to 16 of 0-9 * # ,")},
    {QLatin1String("longDistancePrefix"), &DialingLocation::longDistancePrefix, &DialingLocations::isValidPrefix,
     QLatin1String("up to 8 digits")},
    {QLatin1String("internationalPrefix"), &DialingLocation::internationalPrefix, &DialingLocations::isValidPrefix,
     QLatin1String("up to 8 digits")},
    {QLatin1String("cancelCallWaiting"), &DialingLocation::cancelCallWaiting, &DialingLocations::isValidAccessCode,
     QLatin1String("up to 16 of 0-9 * # ,")},
};

// What one load produced before it replaces the configuration.
struct ReadResult {
    QList<ProviderConfig> providers;
    QList<DialingLocation> locations;
    DWORD currentId = 0;
    int currentLine = 0;
    bool sawProviders = false;
    bool sawLocations = false;
};

struct Reader {
    QString origin;
    QStringList* warnings = nullptr;
};

void warn(const Reader& reader, int line, const QString& message)
{
    // Warnings echo the file's values and go to terminals and logs: control characters
    // are shown, not sent.
    if (line > 0)
        reader.warnings->append(
            VisibleText::escaped(QStringLiteral("%1:%2: %3").arg(reader.origin).arg(line).arg(message)));
    else
        reader.warnings->append(VisibleText::escaped(QStringLiteral("%1: %2").arg(reader.origin, message)));
}

// Values are echoed in warnings; a runaway value must not flood the log.
QString shown(const QString& value)
{
    return value.size() > 40 ? value.left(40) + QStringLiteral("...") : value;
}

bool isUnsigned(const QString& text, int maxDigits)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return !text.isEmpty() && text.size() <= maxDigits && digits.match(text).hasMatch();
}

// Narrows the numeric types providers like to use to the ones the file holds.
QVariant normalized(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok && n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return static_cast<int>(n);
        return value;
    }
    case QMetaType::Float:
        return value.toDouble();
    default:
        return value;
    }
}

QString settingProblem(const QString& key, const QVariant& value)
{
    if (!TelephonyConfig::isValidSettingKey(key))
        return QStringLiteral("\"%1\" is not a valid setting name").arg(shown(key));
    if (!IniValue::canFormat(value))
        return QStringLiteral("the value of \"%1\" is not a bool, int, finite double or text of at most %2 characters")
            .arg(key)
            .arg(IniValue::maxTextLength);
    if (value.typeId() == QMetaType::QString && IniValue::hasControlCharacter(value.toString()))
        return QStringLiteral("the text of \"%1\" holds control characters").arg(key);
    return {};
}

// Settings whose meaning the service knows; a bad value is named here, with its line,
// instead of being ignored or bent into range by the provider.
QString knownSettingProblem(const QString& provider, const QString& key, const QVariant& value, const QString& raw)
{
    if (provider != TelephonyConfig::defaultProvider().name || key != QLatin1String("pacing"))
        return {};
    const bool number = value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Double;
    const double factor = value.toDouble();
    if (!number || !std::isfinite(factor) || factor < 0 || factor > TelephonyConfig::maxPacing) {
        return QStringLiteral("pacing \"%1\" is not a number from 0 (no delays) to %2, so the default applies")
            .arg(shown(raw))
            .arg(TelephonyConfig::maxPacing);
    }
    return {};
}

enum class FileRead { Read, Missing, Failed };

QString fileKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a plain file");
}

// Opens without blocking and reads only a regular file: a FIFO or a device at the path
// would otherwise hang whatever program starts the service. One byte more than allowed
// is read, enough to tell that the file is too large.
FileRead readConfigFile(const QString& path, QByteArray* data, QString* why)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return FileRead::Missing;
        *why = QStringLiteral("the file cannot be opened (%1)").arg(qt_error_string(errno));
        return FileRead::Failed;
    }
    FileRead result = FileRead::Read;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        *why = QStringLiteral("the file cannot be examined (%1)").arg(qt_error_string(errno));
        result = FileRead::Failed;
    } else if (!S_ISREG(info.st_mode)) {
        *why = QStringLiteral("the path names %1, not a regular file").arg(fileKind(info.st_mode));
        result = FileRead::Failed;
    } else {
        data->resize(IniDocument::maxFileSize + 1);
        qsizetype got = 0;
        while (got < data->size()) {
            const ssize_t n = ::read(fd, data->data() + got, size_t(data->size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *why = QStringLiteral("the file cannot be read (%1)").arg(qt_error_string(errno));
                result = FileRead::Failed;
                break;
            }
            if (n == 0)
                break;
            got += n;
        }
        data->resize(result == FileRead::Read ? got : 0);
    }
    ::close(fd);
    return result;
}

void readService(const Reader& reader, const IniDocument::Section& section, ReadResult* result)
{
    for (const IniDocument::Entry& entry : section.entries) {
        if (entry.key == QLatin1String("version")) {
            if (!isUnsigned(entry.value, 6))
                warn(reader, entry.line, QStringLiteral("version \"%1\" is not a number; ignored").arg(shown(entry.value)));
            else if (entry.value.toInt() > TelephonyConfig::formatVersion)
                warn(reader, entry.line,
                     QStringLiteral("written by a newer version (%1); only the known keys are read").arg(entry.value));
        } else if (entry.key == QLatin1String("currentLocation")) {
            if (isUnsigned(entry.value, 6) && entry.value.toUInt() >= 1) {
                result->currentId = entry.value.toUInt();
                result->currentLine = entry.line;
            } else {
                warn(reader, entry.line,
                     QStringLiteral("current location \"%1\" is not a location id; ignored").arg(shown(entry.value)));
            }
        } else {
            warn(reader, entry.line, QStringLiteral("unknown key \"%1\" ignored").arg(shown(entry.key)));
        }
    }
}

void readProvider(const Reader& reader, const IniDocument::Section& section, const QString& name, ReadResult* result)
{
    if (!TelephonyConfig::isValidProviderName(name)) {
        warn(reader, section.line, QStringLiteral("\"%1\" is not a valid provider name; section ignored").arg(shown(name)));
        return;
    }
    for (const ProviderConfig& known : std::as_const(result->providers)) {
        if (known.name == name) {
            warn(reader, section.line, QStringLiteral("provider \"%1\" is listed twice; the second is ignored").arg(name));
            return;
        }
    }
    if (result->providers.size() >= TelephonyConfig::maxProviders) {
        warn(reader, section.line, QStringLiteral("more than %1 providers; \"%2\" ignored").arg(TelephonyConfig::maxProviders).arg(name));
        return;
    }

    ProviderConfig provider{name, {}};
    for (const IniDocument::Entry& entry : section.entries) {
        QString problem;
        const QVariant value = IniValue::parse(entry.value, &problem);
        if (!value.isValid()) {
            warn(reader, entry.line, QStringLiteral("setting \"%1\" dropped: %2").arg(shown(entry.key), problem));
            continue;
        }
        problem = settingProblem(entry.key, value);
        if (problem.isEmpty())
            problem = knownSettingProblem(name, entry.key, value, entry.value);
        if (!problem.isEmpty()) {
            warn(reader, entry.line, problem + QStringLiteral("; dropped"));
            continue;
        }
        if (provider.settings.contains(entry.key))
            warn(reader, entry.line, QStringLiteral("setting \"%1\" given twice; the later value counts").arg(entry.key));
        else if (provider.settings.size() >= TelephonyConfig::maxSettings) {
            warn(reader, entry.line, QStringLiteral("more than %1 settings; \"%2\" dropped").arg(TelephonyConfig::maxSettings).arg(entry.key));
            continue;
        }
        provider.settings.insert(entry.key, value);
    }
    result->providers.append(provider);
}

void readLocationEntry(const Reader& reader, const IniDocument::Entry& entry, DialingLocation* location, bool* hasCountry)
{
    QString value;
    if (!IniValue::text(entry.value, &value)) {
        warn(reader, entry.line, QStringLiteral("broken quoted text for \"%1\"; dropped").arg(shown(entry.key)));
        return;
    }
    if (entry.key == QLatin1String("name")) {
        if (DialingLocations::isValidName(value))
            location->name = value;
        else
            warn(reader, entry.line, QStringLiteral("name dropped: it must be 1 to %1 characters").arg(DialingLocations::maxNameLength));
        return;
    }
    if (entry.key == QLatin1String("countryCode")) {
        if (isUnsigned(value, 3) && DialingLocations::isValidCountryCode(value.toUInt())) {
            location->countryCode = value.toUInt();
            *hasCountry = true;
        } else {
            warn(reader, entry.line,
                 QStringLiteral("country code \"%1\" dropped: it must be a number from 1 to %2")
                     .arg(shown(value))
                     .arg(DialingLocations::maxCountryCode));
        }
        return;
    }
    if (entry.key == QLatin1String("pulseDialing")) {
        if (value == QLatin1String("true") || value == QLatin1String("false"))
            location->pulseDialing = value == QLatin1String("true");
        else
            warn(reader, entry.line, QStringLiteral("pulseDialing \"%1\" dropped: it must be true or false").arg(shown(value)));
        return;
    }
    for (const TextField& field : textFields) {
        if (entry.key == field.key) {
            if (field.isValid(value))
                location->*field.member = value;
            else
                warn(reader, entry.line, QStringLiteral("%1 \"%2\" dropped: it may hold %3").arg(field.key, shown(value), field.rule));
            return;
        }
    }
    warn(reader, entry.line, QStringLiteral("unknown key \"%1\" ignored").arg(shown(entry.key)));
}

void readLocation(const Reader& reader, const IniDocument::Section& section, const QString& idText, ReadResult* result)
{
    const DWORD id = isUnsigned(idText, 6) ? idText.toUInt() : 0;
    if (id < 1 || id > DialingLocations::maxLocationId) {
        warn(reader, section.line,
             QStringLiteral("location id \"%1\" is not a number from 1 to %2; section ignored")
                 .arg(shown(idText))
                 .arg(DialingLocations::maxLocationId));
        return;
    }
    for (const DialingLocation& known : std::as_const(result->locations)) {
        if (known.id == id) {
            warn(reader, section.line, QStringLiteral("location %1 is listed twice; the second is ignored").arg(id));
            return;
        }
    }
    if (result->locations.size() >= DialingLocations::maxLocations) {
        warn(reader, section.line, QStringLiteral("more than %1 locations; location %2 ignored").arg(DialingLocations::maxLocations).arg(id));
        return;
    }

    DialingLocation location;
    location.id = id;
    location.name = QStringLiteral("Location %1").arg(id);
    location.countryCode = DialingLocations::defaultLocation().countryCode;
    bool hasCountry = false;
    for (const IniDocument::Entry& entry : section.entries)
        readLocationEntry(reader, entry, &location, &hasCountry);
    if (!hasCountry)
        warn(reader, section.line, QStringLiteral("location %1 has no usable country code; %2 is assumed").arg(id).arg(location.countryCode));
    result->locations.append(location);
}

ReadResult readDocument(const Reader& reader, const IniDocument& doc)
{
    ReadResult result;
    for (const IniDocument::Section& section : doc.sections()) {
        const QStringList parts = section.name.simplified().split(QLatin1Char(' '));
        if (parts.size() == 1 && parts[0] == serviceSection) {
            readService(reader, section, &result);
        } else if (parts.size() == 2 && parts[0] == providerSection) {
            result.sawProviders = true;
            readProvider(reader, section, parts[1], &result);
        } else if (parts.size() == 2 && parts[0] == locationSection) {
            result.sawLocations = true;
            readLocation(reader, section, parts[1], &result);
        } else {
            warn(reader, section.line, QStringLiteral("unknown section [%1] ignored").arg(shown(section.name)));
        }
    }

    if (result.providers.isEmpty()) {
        if (result.sawProviders)
            warn(reader, 0, QStringLiteral("no usable provider; the simulated exchange is used"));
        result.providers.append(TelephonyConfig::defaultProvider());
    }
    if (result.locations.isEmpty()) {
        if (result.sawLocations)
            warn(reader, 0, QStringLiteral("no usable location; the default location is used"));
        result.locations.append(DialingLocations::defaultLocation());
    }
    const bool currentKnown = std::any_of(result.locations.cbegin(), result.locations.cend(),
                                          [&](const DialingLocation& l) { return l.id == result.currentId; });
    if (!currentKnown) {
        if (result.currentId != 0)
            warn(reader, result.currentLine,
                 QStringLiteral("current location %1 does not exist; \"%2\" is used")
                     .arg(result.currentId)
                     .arg(result.locations.first().name));
        result.currentId = result.locations.first().id;
    }
    return result;
}

IniDocument toDocument(const QList<ProviderConfig>& providers, const QList<DialingLocation>& locations, DWORD currentId)
{
    IniDocument doc;
    doc.addComment(QStringLiteral("Telephony service configuration, rewritten whole when settings change."));
    doc.addComment(QStringLiteral("Comments are not kept. The configuration manual describes every key."));
    doc.addSection(serviceSection);
    doc.addEntry(QStringLiteral("version"), QString::number(TelephonyConfig::formatVersion));
    doc.addEntry(QStringLiteral("currentLocation"), QString::number(currentId));
    for (const ProviderConfig& provider : providers) {
        doc.addSection(providerSection + QLatin1Char(' ') + provider.name);
        for (auto it = provider.settings.cbegin(); it != provider.settings.cend(); ++it)
            doc.addEntry(it.key(), IniValue::format(it.value()));
    }
    for (const DialingLocation& location : locations) {
        doc.addSection(locationSection + QLatin1Char(' ') + QString::number(location.id));
        doc.addEntry(QStringLiteral("name"), IniValue::formatText(location.name));
        doc.addEntry(QStringLiteral("countryCode"), QString::number(location.countryCode));
        for (const TextField& field : textFields)
            doc.addEntry(field.key, IniValue::formatText(location.*field.member));
        doc.addEntry(QStringLiteral("pulseDialing"), location.pulseDialing ? QStringLiteral("true") : QStringLiteral("false"));
    }
    return doc;
}

} // namespace

TelephonyConfig::TelephonyConfig(QObject* parent)
    : TelephonyConfig(defaultPath(), parent)
{
}

TelephonyConfig::TelephonyConfig(const QString& path, QObject* parent)
    : QObject(parent)
    , m_path(path)
    , m_providers{defaultProvider()}
    , m_locations{DialingLocations::defaultLocation()}
    , m_currentLocationId(DialingLocations::defaultLocation().id)
{
}

TelephonyConfig::~TelephonyConfig() = default;

QString TelephonyConfig::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/linkora/telephony.conf");
}

ProviderConfig TelephonyConfig::defaultProvider()
{
    return ProviderConfig{QStringLiteral("simulated"), QVariantMap{{QStringLiteral("pacing"), 1.0}}};
}

bool TelephonyConfig::load()
{
    m_warnings.clear();
    m_loadProblem.clear();
    QByteArray data;
    QString why;
    const FileRead read = readConfigFile(m_path, &data, &why);
    if (read == FileRead::Missing) {
        replaceAll({defaultProvider()}, {DialingLocations::defaultLocation()}, DialingLocations::defaultLocation().id);
        return true;
    }
    if (read == FileRead::Read)
        return loadText(data);
    return takeText({}, why);
}

bool TelephonyConfig::loadText(const QByteArray& text)
{
    m_warnings.clear();
    m_loadProblem.clear();
    return takeText(text, IniDocument::textProblem(text));
}

bool TelephonyConfig::takeText(const QByteArray& text, const QString& unreadable)
{
    const Reader reader{m_path, &m_warnings};
    if (!unreadable.isEmpty()) {
        // Defaults stand in for the file, but must never be saved over it.
        m_loadProblem = unreadable;
        warn(reader, 0, unreadable + QStringLiteral("; the defaults are used, and the file is not saved over until it "
                                                    "is repaired or removed"));
    }
    const ReadResult result =
        readDocument(reader, IniDocument::parse(unreadable.isEmpty() ? text : QByteArray(), m_path, &m_warnings));
    replaceAll(result.providers, result.locations, result.currentId);
    return m_warnings.isEmpty();
}

QByteArray TelephonyConfig::toText() const
{
    return toDocument(m_providers, m_locations, m_currentLocationId).toUtf8();
}

bool TelephonyConfig::save(QString* errorText)
{
    const auto fail = [&](const QString& why) {
        if (errorText)
            *errorText = VisibleText::escaped(QStringLiteral("%1: %2").arg(m_path, why));
        return false;
    };
    if (!m_loadProblem.isEmpty())
        return fail(QStringLiteral("not saved, so as not to replace a file that could not be read: ") + m_loadProblem);
    const QByteArray text = toText();

    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    // Unbuffered, so that a full disk fails the write itself: a buffered write succeeds
    // into memory, and the flush inside commit() may fail without stopping the rename.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    if (file.write(text) != text.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool TelephonyConfig::setProviderSettings(const QString& name, const QVariantMap& settings)
{
    QVariantMap stored;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        stored.insert(it.key(), normalized(it.value()));
    if (!checkSettings(stored).isEmpty())
        return false;
    for (ProviderConfig& provider : m_providers) {
        if (provider.name != name)
            continue;
        if (provider.settings != stored) {
            provider.settings = stored;
            emit providerSettingsChanged(name);
        }
        return true;
    }
    return false;
}

DialingLocation TelephonyConfig::currentLocation() const
{
    for (const DialingLocation& location : m_locations) {
        if (location.id == m_currentLocationId)
            return location;
    }
    // Unreachable while the invariants hold; the first location is the safe answer.
    return m_locations.isEmpty() ? DialingLocations::defaultLocation() : m_locations.first();
}

bool TelephonyConfig::setLocations(const QList<DialingLocation>& locations)
{
    if (!DialingLocations::checkLocations(locations).isEmpty())
        return false;
    const bool currentKept = std::any_of(locations.cbegin(), locations.cend(),
                                         [&](const DialingLocation& l) { return l.id == m_currentLocationId; });
    replaceAll(m_providers, locations, currentKept ? m_currentLocationId : locations.first().id);
    return true;
}

bool TelephonyConfig::setCurrentLocationId(DWORD id)
{
    const bool known = std::any_of(m_locations.cbegin(), m_locations.cend(),
                                   [&](const DialingLocation& l) { return l.id == id; });
    if (!known)
        return false;
    replaceAll(m_providers, m_locations, id);
    return true;
}

bool TelephonyConfig::replaceLocations(const QList<DialingLocation>& locations, DWORD currentId, QString* errorText)
{
    const QList<DialingLocation> oldLocations = m_locations;
    const DWORD oldCurrent = m_currentLocationId;
    if (setLocations(locations) && setCurrentLocationId(currentId) && save(errorText))
        return true;
    setLocations(oldLocations);
    setCurrentLocationId(oldCurrent);
    return false;
}

bool TelephonyConfig::isValidProviderName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z][a-z0-9_-]{0,31}$"));
    return pattern.match(name).hasMatch();
}

bool TelephonyConfig::isValidSettingKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_.-]{0,63}$"));
    return pattern.match(key).hasMatch();
}

QString TelephonyConfig::checkSettings(const QVariantMap& settings)
{
    if (settings.size() > maxSettings)
        return QStringLiteral("more than %1 settings").arg(maxSettings);
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        const QString problem = settingProblem(it.key(), it.value());
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

void TelephonyConfig::replaceAll(const QList<ProviderConfig>& providers, const QList<DialingLocation>& locations,
                                 DWORD currentId)
{
    const bool locationsDiffer = m_locations != locations || m_currentLocationId != currentId;
    QStringList changedProviders;
    for (const ProviderConfig& provider : providers) {
        const auto old = std::find_if(m_providers.cbegin(), m_providers.cend(),
                                      [&](const ProviderConfig& p) { return p.name == provider.name; });
        if (old == m_providers.cend() || old->settings != provider.settings)
            changedProviders << provider.name;
    }
    m_providers = providers;
    m_locations = locations;
    m_currentLocationId = currentId;

    // Signals go out after the state is whole, since a receiver may read anything.
    if (locationsDiffer)
        emit locationsChanged();
    for (const QString& name : std::as_const(changedProviders))
        emit providerSettingsChanged(name);
}

} // namespace Telephony
