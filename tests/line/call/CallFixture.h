#pragma once

// A line control open on device 0 of the simulated exchange with no pacing, and the
// trace lines it wrote since a mark.

#include <TnvLinePrivate.h>
#include "InstantService.h"

#include <TnvCall.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLog.h>

#include <gtest/gtest.h>

#include <memory>

class CallFixture : public InstantServiceTest {
protected:
    void SetUp() override
    {
        TnvLinePrivate::setRememberedActiveRequest(false);
        InstantServiceTest::SetUp();
        m_line = std::make_unique<TnvLine>();
        m_line->Log()->setCount(1000);
        m_line->OnLog = [this](TnvSharedControl*, const QString& text) { m_trace << text; };
    }

    void TearDown() override
    {
        m_line.reset();
        InstantServiceTest::TearDown();
    }

    void open()
    {
        m_line->setEnabled(true);
        m_line->Device()->setActive(true);
        ASSERT_TRUE(m_line->Device()->Active());
        m_trace.clear();
    }

    TnvCall* call() const { return m_line->Call(); }
    TnvCallRecords& records() const { return TnvLinePrivate::get(m_line.get())->records(); }
    qint32 error() const { return m_line->Error()->Number(); }

    std::unique_ptr<TnvLine> m_line;
    QStringList m_trace;
};
