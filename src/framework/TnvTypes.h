#pragma once

// Enumerations and event types shared by every control of the suite.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class TnvSharedControl;

namespace Tnv {
Q_NAMESPACE

// Notation of the trace log; the order is part of the stored format.
enum TDevEnv { deCppBuilder = 0, deDelphi = 1, deOther = 2, deVisualBasic = 3 };
Q_ENUM_NS(TDevEnv)

enum TWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };
Q_ENUM_NS(TWindowState)

} // namespace Tnv

using TDevEnv = Tnv::TDevEnv;
using TWindowState = Tnv::TWindowState;
using enum Tnv::TDevEnv;
using enum Tnv::TWindowState;

// Control kinds, as stored in TnvSharedControl::Kind.
inline constexpr int ckLine = 1;
inline constexpr int ckPhone = 2;
inline constexpr int ckPlay = 3;
inline constexpr int ckRecord = 4;

// Event handlers: "assigned" means the function object is not empty.
using TNV_NotifyEvent = std::function<void(TnvSharedControl* sender)>;
using TNV_LogEvent = std::function<void(TnvSharedControl* sender, const QString& line)>;

// Turns one TAPI constant into its name; used for flag lines and flag tree nodes.
using TnvTextFn = QString (*)(quint32 value);
