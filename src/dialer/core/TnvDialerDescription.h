#pragma once

// The stored description of the dialer's line control nvLine1: the settings the window
// designer saved, in the order they are applied. The window and the command-line dialer
// both build their control from it, so both trace and behave alike.

#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

class TnvLine;

class TnvDialerDescription {
public:
    using Settings = std::vector<std::pair<QString, QVariant>>;

    // Every stored setting of nvLine1, the control's name first.
    static Settings settings();

    // Replaces the value of one stored setting; false when the description has no such path.
    static bool override(Settings& settings, const QString& path, const QVariant& value);

    // Builds the control from settings as the window's loader does: BeginLoading, every
    // setting through its setter, then Loaded. Returns the refused paths, so an empty list
    // means the description applied as stored.
    static QStringList load(TnvLine& line, const Settings& settings);
};
