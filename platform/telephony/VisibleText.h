// Text that came from a file, another program or a person, on its way to a terminal or a
// log: every control character becomes a visible escape ("\x1b", "\u0085"), so the text
// can neither steer the terminal nor start a line of its own. Header-only, because the
// platform parts and the programs above them all need it.
#pragma once

#include <QString>
#include <QStringView>

namespace Telephony {

class VisibleText {
public:
    enum Keep { KeepNothing = 0, KeepTabs = 1, KeepNewlines = 2 };

    static bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7f && c < 0xa0); }

    static QString escaped(QStringView text, int keep = KeepNothing)
    {
        QString result;
        result.reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const bool kept = (u == u'\t' && (keep & KeepTabs)) || (u == u'\n' && (keep & KeepNewlines));
            if (!isControl(u) || kept) {
                result.append(c);
            } else if (u < 0x80) {
                result.append(QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0')));
            } else {
                result.append(QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')));
            }
        }
        return result;
    }
};

} // namespace Telephony
