// Accounts as the configuration gives them, and the password file that only its owner
// may read.

#include <SipAccount.h>
#include <SipProvider.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Telephony::Sip;

namespace {

QString write(const QTemporaryDir& dir, const char* name, const QByteArray& content, int mode)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(content);
    file.close();
    ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
    return path;
}

TEST(SipAccounts, AccountsAreReadWithTheirDefaultsAndBadOnesAreNamed)
{
    QVariantMap settings{{"account1.identity", "sip:alice@sip.example.org"},
                         {"account1.proxy", "sip:sip.example.org:5070"},
                         {"account1.transport", "TLS"},
                         {"account1.mediaEncryption", "srtp"},
                         {"account2.identity", "Bob <sip:bob@10.0.0.1>"},
                         {"account2.dtmf", "RFC4733"},
                         {"account3.identity", "not an address"},
                         {"account4.identity", "sip:carol@example.org"},
                         {"account4.transport", "carrier-pigeon\x1b[31m"},
                         {"account4.password", "hunter2"},
                         {"account4.dtmf", "smoke signals"}};
    QStringList warnings;
    const QList<SipAccount> accounts = readAccounts(settings, &warnings);
    ASSERT_EQ(accounts.size(), 3);
    EXPECT_EQ(accounts[0].shortName(), QStringLiteral("alice@sip.example.org"));
    EXPECT_EQ(accounts[0].transport, SipAccount::Transport::Tls);
    EXPECT_TRUE(accounts[0].srtp);
    EXPECT_TRUE(accounts[0].registerEnabled);
    EXPECT_TRUE(accounts[0].verifyTls);
    EXPECT_FALSE(accounts[0].ice);
    EXPECT_EQ(accounts[1].shortName(), QStringLiteral("bob@10.0.0.1"));
    EXPECT_FALSE(accounts[1].registerEnabled); // no registrar to register with
    EXPECT_EQ(accounts[2].transport, SipAccount::Transport::Udp);
    // Digits go as the call's media allows unless an account insists.
    EXPECT_EQ(accounts[0].dtmf, SipAccount::Dtmf::Auto);
    EXPECT_EQ(accounts[1].dtmf, SipAccount::Dtmf::Rfc4733);
    EXPECT_EQ(accounts[2].dtmf, SipAccount::Dtmf::Auto);

    const QString all = warnings.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("account3"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("smoke signals"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("\\x1b[31m"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QChar(0x1b)));
    // A password in the configuration is refused by name, never repeated.
    EXPECT_TRUE(all.contains(QStringLiteral("passwordFile"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("hunter2")));
}

// maxCalls reaches the line's real bound and says so when it is brought within it; the
// accounts go on far beyond a handful.
TEST(SipAccounts, CallAndAccountLimitsAreTheDocumentedOnes)
{
    struct Case {
        QVariant maxCalls;
        int taken;
        bool warned;
    };
    for (const Case& c : {Case{40, 40, false}, Case{64, 64, false}, Case{65, 64, true}, Case{0, 1, true},
                          Case{QStringLiteral("many"), 4, true}}) {
        SCOPED_TRACE(c.maxCalls.toString().toStdString());
        QStringList warnings;
        const QList<SipAccount> accounts = readAccounts(
            {{"account1.identity", "sip:trunk@example.org"}, {"account1.maxCalls", c.maxCalls}}, &warnings);
        ASSERT_EQ(accounts.size(), 1);
        EXPECT_EQ(accounts[0].maxCalls, c.taken);
        EXPECT_EQ(warnings.join(QLatin1Char('\n')).contains(QStringLiteral("maxCalls")), c.warned);
    }
    const QVariantMap far{{"account300.identity", "sip:a@example.org"},
                          {QStringLiteral("account%1.identity").arg(SipAccount::kMaxAccounts), "sip:b@example.org"},
                          {QStringLiteral("account%1.identity").arg(SipAccount::kMaxAccounts + 1), "sip:c@example.org"}};
    QStringList warnings;
    const QList<SipAccount> accounts = readAccounts(far, &warnings);
    ASSERT_EQ(accounts.size(), 2);
    EXPECT_EQ(warnings, QStringList{QStringLiteral("account1025 ignored: accounts are numbered from 1 to 1024")});
    EXPECT_EQ(accounts[0].index, 300);
    EXPECT_EQ(accounts[1].index, SipAccount::kMaxAccounts);
}

TEST(SipAccounts, PasswordFileMustBeTheOwnersAlone)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int mode;
        bool accepted;
        const char* reason;
    };
    for (const Case& c : {Case{"private", 0600, true, ""}, Case{"readonly", 0400, true, ""},
                          Case{"group", 0640, false, "chmod 600"}, Case{"world", 0604, false, "chmod 600"},
                          Case{"everyone", 0666, false, "mode 666"}}) {
        SCOPED_TRACE(c.name);
        const QString path = write(dir, c.name, "s3cr3t-pw\n", c.mode);
        QByteArray password;
        QString error;
        EXPECT_EQ(readPassword(path, &password, &error), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(password, QByteArray("s3cr3t-pw"));
        } else {
            EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
            EXPECT_FALSE(error.contains(QStringLiteral("s3cr3t"))) << error.toStdString();
            EXPECT_TRUE(password.isEmpty());
        }
    }
}

TEST(SipAccounts, PasswordFilesThatAreNotPlainFilesAreRefusedWithoutWaiting)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString target = write(dir, "target", "pw", 0600);
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    const QString big = write(dir, "big", QByteArray(4096, 'x'), 0600);
    for (const QString& path : {fifo, link, big, dir.path(), dir.filePath(QStringLiteral("missing"))}) {
        SCOPED_TRACE(path.toStdString());
        QByteArray password;
        QString error;
        EXPECT_FALSE(readPassword(path, &password, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(SipAccounts, WrittenPasswordFilesAreCreatedPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alice.secret"));
    QString error;
    ASSERT_TRUE(writePassword(path, "pa ss", &error)) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    QByteArray password;
    ASSERT_TRUE(readPassword(path, &password, &error));
    EXPECT_EQ(password, QByteArray("pa ss"));
}

TEST(SipAccounts, PasswordSetThroughTheSettingsGoesToItsFileOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alice.secret"));
    QVariantMap settings{{QStringLiteral("audio"), QStringLiteral("none")},
                         {QStringLiteral("account1.identity"), QStringLiteral("sip:alice@127.0.0.1")},
                         {QStringLiteral("account1.bindAddress"), QStringLiteral("127.0.0.1")},
                         {QStringLiteral("account1.passwordFile"), path},
                         {QStringLiteral("account1.newPassword"), QStringLiteral("Sesame-42")}};
    Telephony::SipProvider provider(settings);
    EXPECT_TRUE(provider.warnings().isEmpty()) << provider.warnings().join('\n').toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Sesame-42\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // The settings offer an empty field for the next password and hold no password.
    const QVariantMap shown = provider.settings();
    EXPECT_EQ(shown.value(QStringLiteral("account1.newPassword")), QVariant(QString()));
    for (const QVariant& value : shown)
        EXPECT_FALSE(value.toString().contains(QLatin1String("Sesame")));

    // Made readable by others, the file is refused and the line says why.
    ::chmod(QFile::encodeName(path).constData(), 0644);
    settings.remove(QStringLiteral("account1.newPassword"));
    provider.applySettings(settings);
    ASSERT_EQ(provider.warnings().size(), 1);
    EXPECT_TRUE(provider.warnings().first().contains(QLatin1String("alice.secret")));
    EXPECT_FALSE(provider.warnings().first().contains(QLatin1String("Sesame")));
    // A new password without a file to hold it is refused, not kept anywhere.
    settings.remove(QStringLiteral("account1.passwordFile"));
    settings.insert(QStringLiteral("account1.newPassword"), QStringLiteral("Other-7"));
    provider.applySettings(settings);
    EXPECT_TRUE(provider.warnings().join(' ').contains(QLatin1String("passwordFile")));
    EXPECT_FALSE(provider.settings().contains(QStringLiteral("account1.newPassword")));
}

} // namespace
