#include "RingfastHost.h"

RingfastHost::RingfastHost(QTextStream& err, bool withText)
    : m_err(err)
    , m_withText(withText)
{
    TnvHostServices::install(this);
}

RingfastHost::~RingfastHost()
{
    TnvHostServices::install(nullptr);
}

TnvHostServices::Answer RingfastHost::prompt(const TnvPrompt& prompt)
{
    m_err << "ringfast: " << prompt.caption;
    if (m_withText)
        m_err << ": " << QString(prompt.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_err << '\n';
    m_err.flush();
    return AnswerOk;
}
