#pragma once

// Screenshots the window tests always keep, for a person to look over after a run.

#include "EventLoop.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

// Saves what a person would see of the widget as <name>.png in the folder
// LINKORA_SCREENSHOTS names, or in fallbackDir when it names none.
inline void keepScreenshot(QWidget* widget, const QString& name, const QString& fallbackDir)
{
    QString dir = qEnvironmentVariable("LINKORA_SCREENSHOTS");
    if (dir.isEmpty())
        dir = fallbackDir;
    QDir().mkpath(dir);
    // A window busy with a call holds its painting back for a frame or two.
    waitUntil([widget] { return widget->window()->updatesEnabled(); }, 1000);
    QApplication::processEvents();
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
