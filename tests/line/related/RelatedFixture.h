#pragma once

// A line control with no telephony service behind it, and the trace lines written since
// a mark.

#include <TnvLine.h>

#include <gtest/gtest.h>

class RelatedFixture : public ::testing::Test {
protected:
    // A full dump is longer than the log's default bound.
    void SetUp() override
    {
        m_line.Log()->setCount(1000);
        mark();
    }

    void mark() { m_mark = m_line.Log()->Lines().size(); }
    QStringList written() const { return m_line.Log()->Lines().mid(m_mark); }

    TnvLine m_line;
    qsizetype m_mark = 0;
};
