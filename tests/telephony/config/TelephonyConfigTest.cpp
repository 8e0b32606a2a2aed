// The configuration file: defaults, round trips, and damaged files that must cost only
// what is damaged.
#include "DialingLocations.h"
#include "TelephonyConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtNumeric>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

using namespace Telephony;

namespace {

class TelephonyConfigTest : public ::testing::Test {
protected:
    QString file(const QString& name = QStringLiteral("telephony.conf")) const { return m_dir.filePath(name); }

    void write(const QString& path, const QByteArray& content) const
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    static QList<DWORD> ids(const TelephonyConfig& config)
    {
        QList<DWORD> out;
        for (const DialingLocation& location : config.locations())
            out << location.id;
        return out;
    }

    static QStringList providerNames(const TelephonyConfig& config)
    {
        QStringList out;
        for (const ProviderConfig& provider : config.providers())
            out << provider.name;
        return out;
    }

    QTemporaryDir m_dir;
};

// Runs body in a forked child that may block or change process limits without harm to
// the test program; the child's exit code, or -1 when it was killed or ran out of time.
int inChild(const std::function<int()>& body, unsigned timeoutSeconds = 10)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(timeoutSeconds);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Becomes "nobody" so that file permissions apply; false when that is not possible.
bool dropPrivileges()
{
    return ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0
        && ::setresuid(65534, 65534, 65534) == 0;
}

DialingLocation location(DWORD id, const QString& name, DWORD country, const QString& area)
{
    DialingLocation l;
    l.id = id;
    l.name = name;
    l.countryCode = country;
    l.areaCode = area;
    return l;
}

} // namespace

TEST_F(TelephonyConfigTest, MissingFileGivesTheDefaults)
{
    TelephonyConfig config(file());
    EXPECT_TRUE(config.load());
    EXPECT_TRUE(config.warnings().isEmpty());
    ASSERT_EQ(config.providers().size(), 1);
    EXPECT_EQ(config.providers().first().name, QStringLiteral("simulated"));
    EXPECT_EQ(config.providers().first().settings.value(QStringLiteral("pacing")), QVariant(1.0));
    ASSERT_EQ(config.locations().size(), 1);
    EXPECT_EQ(config.currentLocation(), config.locations().first());
    EXPECT_TRUE(DialingLocations::checkLocation(config.currentLocation()).isEmpty());
    EXPECT_FALSE(QFile::exists(file())) << "loading must not create the file";
    EXPECT_TRUE(TelephonyConfig::defaultPath().endsWith(QStringLiteral("/linkora/telephony.conf")));
}

TEST_F(TelephonyConfigTest, SaveAndLoadRoundTrip)
{
    write(file(), "[provider sip]\n[provider simulated]\npacing = 1.0\n");
    TelephonyConfig config(file());
    ASSERT_TRUE(config.load()) << config.warnings().join(QLatin1Char('\n')).toStdString();

    const QVariantMap settings{
        {QStringLiteral("pacing"), 2.5},
        {QStringLiteral("whole"), 3.0},
        {QStringLiteral("enabled"), true},
        {QStringLiteral("lines"), 4},
        {QStringLiteral("host"), QStringLiteral("pbx.example")},
        {QStringLiteral("looksLikeBool"), QStringLiteral("true")},
        {QStringLiteral("looksLikeNumber"), QStringLiteral("12")},
        {QStringLiteral("escaped"), QStringLiteral(" \"quoted\" \\ backslash ")},
        {QStringLiteral("empty"), QString()},
    };
    ASSERT_TRUE(config.setProviderSettings(QStringLiteral("simulated"), settings));

    DialingLocation office = location(7, QStringLiteral(" \"Office\" #2 "), 44, QStringLiteral("020"));
    office.localAccessCode = QStringLiteral("9,");
    office.longDistanceAccessCode = QStringLiteral("8");
    office.longDistancePrefix = QStringLiteral("0");
    office.internationalPrefix = QStringLiteral("00");
    office.cancelCallWaiting = QStringLiteral("*43#");
    office.pulseDialing = true;
    ASSERT_TRUE(config.setLocations({location(3, QStringLiteral("Home"), 1, QStringLiteral("425")), office}));
    ASSERT_TRUE(config.setCurrentLocationId(7));
    QString error;
    ASSERT_TRUE(config.save(&error)) << error.toStdString();

    TelephonyConfig again(file());
    EXPECT_TRUE(again.load()) << again.warnings().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(providerNames(again), QStringList({QStringLiteral("sip"), QStringLiteral("simulated")}));
    EXPECT_EQ(again.providers(), config.providers());
    const QVariantMap read = again.providers().last().settings;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        EXPECT_EQ(read.value(it.key()).typeId(), it.value().typeId()) << it.key().toStdString();
    EXPECT_EQ(again.locations(), config.locations());
    EXPECT_EQ(again.currentLocationId(), 7u);
}

TEST_F(TelephonyConfigTest, DamagedFilesGiveDefaultsAndWarnings)
{
    const struct {
        const char* label;
        QByteArray content;
        QStringList providers;
        QList<DWORD> locations;
        DWORD current;
        const char* warning;
    } cases[] = {
        {"garbage lines", "hello world\n[service\n= 3\n\x01\x02\n", {"simulated"}, {1}, 1, "not a \"key = value\""},
        {"outside any section", "pacing = 2\n[location 4]\ncountryCode = 44\n", {"simulated"}, {4}, 4, "outside"},
        {"wrong types", "[location 2]\ncountryCode = abc\npulseDialing = maybe\nareaCode = 4x5\n", {"simulated"},
         {2}, 2, "pulseDialing"},
        {"huge values",
         "[provider simulated]\npacing = 1e999\nlines = 99999999999999999999\n"
         "[location 99999999]\n[location 2]\ncountryCode = 99999\n",
         {"simulated"}, {2}, 2, "out of range"},
        {"bad quoting", "[location 2]\nname = \"open\ncountryCode = 1\n", {"simulated"}, {2}, 2, "broken quoted"},
        {"unknown current", "[service]\ncurrentLocation = 7\n[location 3]\ncountryCode = 44\n", {"simulated"}, {3},
         3, "does not exist"},
        {"no usable provider", "[provider Bad]\n[provider ]\n", {"simulated"}, {1}, 1, "no usable provider"},
        {"duplicates", "[location 5]\ncountryCode=1\n[location 5]\ncountryCode=2\n[provider x]\n[provider x]\n",
         {"x"}, {5}, 5, "listed twice"},
        {"unknown section and key", "[dialer]\na=1\n[location 1]\ncolour = red\n", {"simulated"}, {1}, 1,
         "unknown"},
        {"overlong line", "[location 1]\nname = " + QByteArray(5000, 'n') + "\n", {"simulated"}, {1}, 1,
         "longer than"},
        {"newer version", "[service]\nversion = 9\n[location 2]\ncountryCode = 1\n", {"simulated"}, {2}, 2,
         "newer version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        write(file(), c.content);
        TelephonyConfig config(file());
        EXPECT_FALSE(config.load());
        EXPECT_EQ(providerNames(config), c.providers);
        EXPECT_EQ(ids(config), c.locations);
        EXPECT_EQ(config.currentLocationId(), c.current);
        EXPECT_TRUE(config.warnings().join(QLatin1Char('\n')).contains(QLatin1String(c.warning)))
            << config.warnings().join(QLatin1Char('\n')).toStdString();
        for (const DialingLocation& l : config.locations())
            EXPECT_TRUE(DialingLocations::checkLocation(l).isEmpty());

        // Whatever survived a damaged file must be written back cleanly.
        ASSERT_TRUE(config.save());
        TelephonyConfig healed(file());
        EXPECT_TRUE(healed.load()) << healed.warnings().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(healed.locations(), config.locations());
        EXPECT_EQ(healed.providers(), config.providers());
    }
}

TEST_F(TelephonyConfigTest, DroppedValuesKeepTheRestOfTheirSection)
{
    write(file(), "[location 2]\nname = Cabin\ncountryCode = 1000\nareaCode = 206\npulseDialing = true\n"
                  "[provider simulated]\npacing = 1e999\nrings = 4\n");
    TelephonyConfig config(file());
    EXPECT_FALSE(config.load());
    const DialingLocation cabin = config.currentLocation();
    EXPECT_EQ(cabin.name, QStringLiteral("Cabin"));
    EXPECT_EQ(cabin.countryCode, 1u);
    EXPECT_EQ(cabin.areaCode, QStringLiteral("206"));
    EXPECT_TRUE(cabin.pulseDialing);
    EXPECT_EQ(config.providers().first().settings, QVariantMap({{QStringLiteral("rings"), 4}}));
}

// A file that cannot be read as a whole stands for the user's settings all the same: the
// defaults fill in for it, the warning says why, and nothing is ever saved over it.
TEST_F(TelephonyConfigTest, FilesThatDoNotLoadAreNeverSavedOver)
{
    const QByteArray locations = "[location 1]\nname = Home\ncountryCode = 1\n[location 2]\nname = Office\n";
    const struct {
        const char* label;
        QByteArray content;
        const char* why;
    } cases[] = {
        {"one Latin-1 byte", locations + "name = Caf\xe9\n", "not UTF-8 text (byte 0xe9 on line 6)"},
        {"overlong UTF-8", locations + "\xc0\xaf\n", "not UTF-8 text (byte 0xc0 on line 6)"},
        {"binary", QByteArray("[service]\n\0\x01\x02", 13), "not text (a NUL byte on line 2)"},
        {"too large", locations + QByteArray(300 * 1024, '#'), "larger than"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        write(file(), c.content);
        TelephonyConfig config(file());
        EXPECT_FALSE(config.load());
        EXPECT_EQ(ids(config), QList<DWORD>({1}));
        EXPECT_TRUE(config.loadProblem().contains(QLatin1String(c.why))) << config.loadProblem().toStdString();
        EXPECT_TRUE(config.warnings().join(QLatin1Char('\n')).contains(QLatin1String(c.why)));

        ASSERT_TRUE(config.setLocations({location(9, QStringLiteral("Cabin"), 1, QStringLiteral("206"))}));
        QString error;
        EXPECT_FALSE(config.save(&error));
        EXPECT_TRUE(error.contains(QLatin1String(c.why))) << error.toStdString();
        QFile kept(file());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), c.content);
    }

    // A folder, a FIFO and (for a user whom permissions bind) an unreadable file.
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("folder.conf"))));
    TelephonyConfig folder(file(QStringLiteral("folder.conf")));
    EXPECT_FALSE(folder.load());
    EXPECT_EQ(folder.warnings().size(), 1);
    EXPECT_TRUE(folder.loadProblem().contains(QLatin1String("a folder, not a regular file")));
    EXPECT_FALSE(folder.save());

    const QString fifo = file(QStringLiteral("fifo.conf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Opening a FIFO for reading waits for a writer; the child gives up after a while.
    EXPECT_EQ(inChild([&] {
                  TelephonyConfig config(fifo);
                  return !config.load() && config.loadProblem().contains(QLatin1String("a FIFO")) && !config.save()
                      ? 0
                      : 1;
              }),
              0);
    EXPECT_EQ(QFileInfo(fifo).isFile(), false);

    // Writable but unreadable; the open folder lets the save replace it, were it allowed to.
    const QString secret = file(QStringLiteral("secret.conf"));
    write(secret, locations);
    ASSERT_TRUE(QFile::setPermissions(secret, QFile::WriteOwner | QFile::WriteUser));
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), everyone));
    EXPECT_EQ(inChild([&] {
                  // Root reads anything; a plain user is who meets this file.
                  if (::geteuid() == 0 && !dropPrivileges())
                      return 2;
                  TelephonyConfig config(secret);
                  if (config.load() || !config.loadProblem().contains(QLatin1String("cannot be opened")))
                      return 1;
                  return config.save() ? 1 : 0;
              }),
              0);
    ASSERT_TRUE(QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner));
    QFile kept(secret);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), locations);
}

// On a full disk the save fails and the old file stays whole, with no stray temporary file
// beside it. A file size limit stands in for the full disk.
TEST_F(TelephonyConfigTest, FullDiskKeepsTheOldFile)
{
    const QByteArray original = "[location 4]\nname = Lake\ncountryCode = 44\n";
    write(file(), original);
    EXPECT_EQ(inChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  TelephonyConfig config(file());
                  if (!config.load())
                      return 2;
                  const rlimit limit{16, 16};
                  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                      return 3;
                  QString error;
                  if (config.save(&error) || !error.contains(file()))
                      return 1;
                  return 0;
              }),
              0);
    QFile kept(file());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), original);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("telephony.conf")});
}

TEST_F(TelephonyConfigTest, BadPacingIsNamedWithItsLine)
{
    const struct {
        const char* value;
        bool kept;
    } cases[] = {
        {"0", true}, {"2.5", true}, {"1000", true}, {"-1", false}, {"fast", false}, {"1001", false}, {"true", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        write(file(), QByteArray("[provider simulated]\nrings = 4\npacing = ") + c.value + "\n");
        TelephonyConfig config(file());
        EXPECT_EQ(config.load(), c.kept) << config.warnings().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(config.providers().first().settings.contains(QStringLiteral("pacing")), c.kept);
        if (!c.kept) {
            ASSERT_EQ(config.warnings().size(), 1);
            EXPECT_TRUE(config.warnings().first().startsWith(file() + QStringLiteral(":3: pacing \"") + c.value))
                << config.warnings().first().toStdString();
        }
    }
}

TEST_F(TelephonyConfigTest, WarningsShowControlCharactersInsteadOfSendingThem)
{
    write(file(), "[location 1]\ncountryCode = 1\ncol\x1b]0;owned\x07our = red\nareaCode = \x1b[2J\n");
    TelephonyConfig config(file());
    EXPECT_FALSE(config.load());
    const QString warnings = config.warnings().join(QLatin1Char('\n'));
    EXPECT_TRUE(warnings.contains(QLatin1String("col\\x1b]0;owned\\x07our"))) << warnings.toStdString();
    EXPECT_TRUE(warnings.contains(QLatin1String("\\x1b[2J"))) << warnings.toStdString();
    for (const QChar c : warnings)
        EXPECT_TRUE(c == QLatin1Char('\n') || c.unicode() >= 0x20) << int(c.unicode());
}

TEST_F(TelephonyConfigTest, SaveCreatesFoldersAndReportsFailure)
{
    TelephonyConfig nested(file(QStringLiteral("a/b/telephony.conf")));
    EXPECT_TRUE(nested.save());
    EXPECT_TRUE(QFile::exists(nested.path()));

    write(file(QStringLiteral("plain")), "not a folder");
    TelephonyConfig blocked(file(QStringLiteral("plain/telephony.conf")));
    QString error;
    EXPECT_FALSE(blocked.save(&error));
    EXPECT_TRUE(error.contains(blocked.path()));
}

TEST_F(TelephonyConfigTest, SettersRefuseWhatTheFileCannotHold)
{
    TelephonyConfig config(file());
    int locationSignals = 0;
    int providerSignals = 0;
    QObject::connect(&config, &TelephonyConfig::locationsChanged, [&] { ++locationSignals; });
    QObject::connect(&config, &TelephonyConfig::providerSettingsChanged, [&] { ++providerSignals; });
    const QList<DialingLocation> before = config.locations();

    const DialingLocation home = location(1, QStringLiteral("Home"), 1, QStringLiteral("425"));
    const struct {
        const char* label;
        QList<DialingLocation> locations;
    } refused[] = {
        {"empty", {}},
        {"shared id", {home, location(1, QStringLiteral("Twin"), 1, {})}},
        {"bad field", {location(2, QStringLiteral("Bad"), 0, {})}},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(config.setLocations(c.locations));
        EXPECT_EQ(config.locations(), before);
    }
    EXPECT_FALSE(config.setCurrentLocationId(42));
    EXPECT_EQ(locationSignals, 0);

    // The current location survives a change while its id is still there.
    ASSERT_TRUE(config.setLocations({location(5, QStringLiteral("Lake"), 1, {}), home}));
    EXPECT_EQ(config.currentLocationId(), 1u);
    ASSERT_TRUE(config.setLocations({location(5, QStringLiteral("Lake"), 1, {})}));
    EXPECT_EQ(config.currentLocationId(), 5u);
    EXPECT_EQ(locationSignals, 2);

    const QString simulated = QStringLiteral("simulated");
    EXPECT_FALSE(config.setProviderSettings(QStringLiteral("nobody"), {}));
    EXPECT_FALSE(config.setProviderSettings(simulated, {{QStringLiteral("bad key"), 1}}));
    EXPECT_FALSE(config.setProviderSettings(simulated, {{QStringLiteral("pacing"), qQNaN()}}));
    EXPECT_FALSE(config.setProviderSettings(simulated, {{QStringLiteral("list"), QStringList()}}));
    EXPECT_FALSE(config.setProviderSettings(simulated, {{QStringLiteral("text"), QStringLiteral("a\rb")}}));
    EXPECT_EQ(providerSignals, 0);
    ASSERT_TRUE(config.setProviderSettings(simulated, {{QStringLiteral("rings"), qint64(4)}}));
    EXPECT_EQ(config.providers().first().settings.value(QStringLiteral("rings")).typeId(), QMetaType::Int);
    EXPECT_EQ(providerSignals, 1);
}
