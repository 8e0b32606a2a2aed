#pragma once

// ringfast's answer to the dialer's message boxes: nobody can click OK on a terminal, so
// the caption goes to standard error, with the text when the log-box lines (which hold
// it already) are not printed. Installs itself for its lifetime.

#include <TnvHostServices.h>

#include <QTextStream>

class RingfastHost : public TnvHostServices {
public:
    RingfastHost(QTextStream& err, bool withText);
    ~RingfastHost() override;

    Answer prompt(const TnvPrompt& prompt) override;

private:
    QTextStream& m_err;
    bool m_withText;
};
