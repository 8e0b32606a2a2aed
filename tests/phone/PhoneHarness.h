#pragma once

// A phone control on the simulated exchange for tests: a private configuration, no
// pacing, the control's trace collected as OnLog receives it, and expected traces kept as
// text files beside the tests.

#include "InstantService.h"
#include "QtPrinters.h"

#include <TnvPhone.h>

#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class PhoneHarness : public InstantServiceTest {
protected:

    // An enabled control (the exchange's one phone listed) whose trace is collected.
    std::unique_ptr<TnvPhone> enabledPhone();
    // The same with the phone open; the trace starts empty.
    std::unique_ptr<TnvPhone> openPhone();
    // The trace since the last call (lines as OnLog received them).
    QStringList takeTrace();
    // Compares the trace with traces/<name>.txt, where a line "<any>" matches any one
    // line; on a difference prints both. Set LINKORA_UPDATE_TRACES to write the file.
    void expectTrace(const QString& name, const QStringList& trace);

    // A control command of the simulated exchange; true when it was carried out.
    static bool control(const QString& command, const QJsonObject& args = {});

    QStringList m_trace;
};
