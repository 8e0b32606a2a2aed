#include "RingfastHost.h"

#include <VisibleText.h>

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
    using Telephony::VisibleText;
    m_err << "ringfast: " << VisibleText::escaped(prompt.caption);
    if (m_withText) {
        const QString text = QString(prompt.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_err << ": " << VisibleText::escaped(text, VisibleText::KeepNewlines | VisibleText::KeepTabs);
    }
    m_err << '\n';
    m_err.flush();
    return AnswerOk;
}
