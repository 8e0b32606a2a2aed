#pragma once

// Reads and writes a control's settings by their dotted paths ("Vantage.Log.Count"),
// walking the declared properties of the control and its sub-objects. Stored settings
// are applied through it, so each goes through its setter as if assigned in code.

#include <QObject>
#include <QVariant>

#include <utility>
#include <vector>

namespace TnvPropertyPath {

// The value at path, or an invalid QVariant when the path names no property.
QVariant read(const QObject* root, const QString& path);

// Assigns value through the property's setter; false when the path names no writable
// property or the value does not convert to its type.
bool write(QObject* root, const QString& path, const QVariant& value);

// Applies stored settings in order; returns the paths that could not be applied.
QStringList apply(QObject* root, const std::vector<std::pair<QString, QVariant>>& settings);

} // namespace TnvPropertyPath
