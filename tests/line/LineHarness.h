#pragma once

// A line control on the simulated exchange for tests: a private configuration, no
// pacing, the control's trace collected as OnLog receives it, and expected traces kept
// as text files beside the tests.

#include "InstantService.h"
#include "QtPrinters.h"

#include <TnvLine.h>

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

class LineHarness : public InstantServiceTest {
protected:
    void SetUp() override;

    // A control built from the dialer's stored settings, then loaded.
    std::unique_ptr<TnvLine> loadDialerLine();
    // The trace since the last call (lines as OnLog received them).
    QStringList takeTrace();
    // Compares the trace with traces/<name>.txt, where a line "<any>" matches any one
    // line; on a difference prints both. Set LINKORA_UPDATE_TRACES to write the file.
    void expectTrace(const QString& name, const QStringList& trace);
    // The trace since the last call with the given call handles written as <call1>,
    // <call2>... (or <call> for a single one) and clock times as <time>.
    QStringList takeNormalizedTrace(const QList<HCALL>& calls);

    // Another application with count connected calls on line 1; 0 on failure. The
    // caller shuts it down.
    HLINEAPP holdCallsElsewhere(int count);

    static std::vector<std::pair<QString, QVariant>> dialerSettings();

    // A control command of the simulated exchange; true when it was carried out.
    static bool control(const QString& command, const QJsonObject& args = {});
    // The exchange's own id of the first call on line 1 whose field has the value (as
    // the "calls" command lists them), or an undefined value.
    static QJsonValue exchangeCall(const QString& field, const QString& value);

    QStringList m_trace;
};
