#pragma once

// What the wave window tests share: host services that answer the file dialogs and
// message boxes as scripted, short sounds on disk, the "Linkora Loopback" device, and
// ways to act on widgets as a person does.

#include "../wave/WaveTestSupport.h"
#include "EventLoop.h"
#include "Screenshot.h"
#include "WidgetInput.h"

#include <TnvError.h>
#include <TnvHostServices.h>
#include <TnvInspector.h>
#include <TnvLogPage.h>
#include <TnvSharedControl.h>
#include <TnvSharedDevice.h>
#include <TnvVantage.h>

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

// Answers each file dialog with the next scripted choice (none: cancelled) and every
// message box with OK; puts back the services it replaced.
class DialogScript : public TnvHostServices {
public:
    DialogScript()
        : m_previous(&TnvHostServices::instance())
    {
        install(this);
    }
    ~DialogScript() override { install(m_previous); }

    QList<QStringList> choices;
    QList<TnvFileRequest> requests;
    QList<TnvPrompt> prompts;

    QStringList chooseFiles(const TnvFileRequest& request) override
    {
        requests << request;
        return choices.isEmpty() ? QStringList() : choices.takeFirst();
    }
    Answer prompt(const TnvPrompt& prompt) override
    {
        prompts << prompt;
        return AnswerOk;
    }

private:
    TnvHostServices* m_previous;
};

class WaveVantageHarness : public ::testing::Test {
protected:
    static inline const QString kLoopback = QStringLiteral("Linkora Loopback");

    void SetUp() override
    {
        TnvInspector::setUp();
        ASSERT_TRUE(m_dir.isValid());
    }

    void TearDown() override { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // A mono 16-bit sound of ms milliseconds at 8000 samples a second.
    QString writeSound(const QString& name, int ms = 150)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(wavetest::writeFile(path, wavetest::pcmFile(8000, wavetest::ramp(8 * ms, 1))));
        return path;
    }

    // The trace lines of the control, and how many start with prefix.
    void traceInto(TnvSharedControl* control)
    {
        control->OnLog = [this](TnvSharedControl*, const QString& line) { m_trace << line; };
    }
    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& line : m_trace)
            n += line.trimmed().startsWith(prefix) ? 1 : 0;
        return n;
    }

    static void selectLoopback(TnvSharedDevice* device, const std::function<void(int)>& setID)
    {
        const int index = device->List().indexOf(kLoopback);
        ASSERT_GE(index, 0) << "no loopback device";
        setID(index);
        ASSERT_EQ(device->Name(), kLoopback);
    }

    static void leave(QWidget* widget) { leaveByKeyboard(widget); }

    static bool errorLit(TnvLogPage* page) { return page->errorShown(); }

    static void screenshot(QWidget* widget, const QString& name)
    {
        keepScreenshot(widget, name, QStringLiteral(LINKORA_SCREENSHOT_DIR));
    }

    QTemporaryDir m_dir;
    QStringList m_trace;
};
