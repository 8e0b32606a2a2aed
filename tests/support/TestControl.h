#pragma once

// A concrete control for exercising the shared base: its kind, its result texts and its
// popup settings are whatever the test says.

#include <TnvSharedControl.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

class TestControl : public TnvSharedControl {
public:
    explicit TestControl(int kind = ckLine, QObject* owner = nullptr)
        : TnvSharedControl(owner)
    {
        SetKind(kind, KindText(kind));
    }

    std::function<QString(qint32)> texts;
    bool popupError = false;
    bool popupWarning = false;

    bool popupOnError() const override { return popupError; }
    bool popupOnWarning() const override { return popupWarning; }

protected:
    QString resultText(qint32 code) const override
    {
        return texts ? texts(code) : TnvSharedControl::resultText(code);
    }
};

// Pumps the event loop until done() holds or the time runs out; true when it held.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

#include <QWidget>

// Saves what a person would see of the widget when LINKORA_SCREENSHOTS names a folder.
inline void saveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("LINKORA_SCREENSHOTS");
    if (!dir.isEmpty() && widget)
        widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
