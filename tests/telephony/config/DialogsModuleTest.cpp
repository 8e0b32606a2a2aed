// The dialogs live in a module of their own: the service finds it beside its library on
// the first dialog and runs the dialogs from it; a module that is not there is refused
// with a reason.

#include "EventLoop.h"
#include "InstantService.h"
#include "TelephonyDialogs.h"

#include <TapiApi.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Telephony;

namespace {

// Closes the next modal dialog as soon as it is up, remembering its name.
class DialogCloser {
public:
    DialogCloser()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                m_seen = dialog->objectName();
                m_timer.stop();
                dialog->reject();
            }
        });
        m_timer.start();
    }
    QString seen() const { return m_seen; }

private:
    QTimer m_timer;
    QString m_seen;
};

class DialogsModuleTest : public ::testing::Test {
protected:
    void SetUp() override { useInstantService(m_configDir); }
    void TearDown() override
    {
        if (m_app)
            lineShutdown(m_app);
        waitUntil([] { return !Telephony::serviceRunning(); }, 2000);
    }
    void initialize()
    {
        DWORD devices = 0;
        DWORD version = TAPI_VERSION2_2;
        LINEINITIALIZEEXPARAMS params{};
        params.dwTotalSize = sizeof params;
        params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
        ASSERT_EQ(lineInitializeExA(&m_app, nullptr, [](DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {}, "dialogs",
                                    &devices, &version, &params),
                  0);
        ASSERT_GT(devices, 0u);
    }

    QTemporaryDir m_configDir;
    HLINEAPP m_app = 0;
};

} // namespace

TEST_F(DialogsModuleTest, TheServiceRunsBothDialogsFromTheModule)
{
    initialize();
    {
        const DialogCloser closer;
        EXPECT_EQ(lineConfigDialog(0, nullptr, "tapi/line"), 0);
        EXPECT_EQ(closer.seen(), QStringLiteral("ConfigDialog"));
    }
    {
        const DialogCloser closer;
        EXPECT_EQ(lineTranslateDialog(m_app, 0, TAPI_VERSION2_2, nullptr, "+1 (425) 555-0100"), 0);
        EXPECT_EQ(closer.seen(), QStringLiteral("TranslateDialog"));
    }
}

TEST_F(DialogsModuleTest, LoadsFromAPathOrSaysWhyNot)
{
    EXPECT_NE(TelephonyDialogs::load(QStringLiteral(LINKORA_DIALOGS_MODULE)), nullptr);
    QString error;
    EXPECT_EQ(TelephonyDialogs::load(m_configDir.filePath(QStringLiteral("missing.so")), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}
