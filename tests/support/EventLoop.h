#pragma once

// Waiting on the real event loop, and screenshots of what a person would see.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>

#include <functional>

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

// Saves what a person would see of the widget when LINKORA_SCREENSHOTS names a folder.
inline void saveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("LINKORA_SCREENSHOTS");
    if (!dir.isEmpty() && widget)
        widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
