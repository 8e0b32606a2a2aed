// The service's configuration dialog when the configuration cannot be kept: the caller
// learns it, and the file stays as it was.

#include "ApiHarness.h"
#include "EventLoop.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>

namespace {

class ConfigurationSave : public ApiHarness {};

} // namespace

TEST_F(ConfigurationSave, ASettingThatCannotBeSavedFailsTheDialog)
{
    // One Latin-1 byte: the file does not load, so it must not be replaced either.
    const QByteArray stored = "[provider simulated]\npacing = 1.0\n\n[location 1]\nname = Caf\xe9\ncountryCode = 33\n";
    const QString path = m_configDir.filePath(QStringLiteral("telephony.conf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    initialize("config");

    // OK, as soon as the dialog shows.
    QTimer accept;
    QObject::connect(&accept, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    accept.start(10);
    EXPECT_EQ(lineConfigDialog(0, nullptr, "tapi/line"), LONG(LINEERR_OPERATIONFAILED));
    accept.stop();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), stored);
}
