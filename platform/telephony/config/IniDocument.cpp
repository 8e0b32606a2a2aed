#include "IniDocument.h"

#include <VisibleText.h>


namespace Telephony {

namespace {

QString located(const QString& origin, int line, const QString& message)
{
    // Line 0 stands for the file as a whole. Warnings echo what the file holds and end
    // up on terminals and in logs, so control characters are shown, not sent.
    if (line <= 0)
        return VisibleText::escaped(QStringLiteral("%1: %2").arg(origin, message));
    return VisibleText::escaped(QStringLiteral("%1:%2: %3").arg(origin).arg(line).arg(message));
}

bool isValidSectionName(QStringView name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace

IniDocument IniDocument::parse(const QByteArray& data, const QString& origin, QStringList* warnings)
{
    IniDocument doc;
    const auto warn = [&](int line, const QString& message) {
        if (warnings)
            warnings->append(located(origin, line, message));
    };

    if (const QString problem = textProblem(data); !problem.isEmpty()) {
        warn(0, problem + QStringLiteral(" and was not read"));
        return doc;
    }
    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    const QStringList lines = text.split(QLatin1Char('\n'));
    bool inIgnoredSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        const QString& raw = lines[i];
        if (raw.size() > maxLineLength) {
            warn(lineNumber, QStringLiteral("line longer than %1 characters ignored").arg(maxLineLength));
            continue;
        }
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;

        if (line.startsWith(QLatin1Char('['))) {
            const QStringView name = line.endsWith(QLatin1Char(']'))
                ? QStringView(line).mid(1, line.size() - 2).trimmed()
                : QStringView();
            if (!isValidSectionName(name)) {
                warn(lineNumber, QStringLiteral("malformed section header; its lines are ignored"));
                inIgnoredSection = true;
                continue;
            }
            inIgnoredSection = false;
            doc.m_sections.append(Section{name.toString(), lineNumber, {}});
            continue;
        }

        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            warn(lineNumber, QStringLiteral("not a \"key = value\" line; ignored"));
            continue;
        }
        const QString key = line.left(equals).trimmed();
        if (key.isEmpty()) {
            warn(lineNumber, QStringLiteral("line without a key ignored"));
            continue;
        }
        if (inIgnoredSection)
            continue;
        if (doc.m_sections.isEmpty()) {
            warn(lineNumber, QStringLiteral("\"%1\" is outside any section; ignored").arg(key.left(64)));
            continue;
        }
        doc.m_sections.last().entries.append(Entry{key, line.mid(equals + 1).trimmed(), lineNumber});
    }
    return doc;
}

QString IniDocument::textProblem(const QByteArray& data)
{
    const auto lineOf = [&](qsizetype offset) { return data.left(offset).count('\n') + 1; };
    if (data.size() > maxFileSize)
        return QStringLiteral("the file is larger than %1 bytes").arg(maxFileSize);
    if (const qsizetype nul = data.indexOf('\0'); nul >= 0)
        return QStringLiteral("the file is not text (a NUL byte on line %1)").arg(lineOf(nul));
    if (const qsizetype bad = firstInvalidUtf8(data); bad >= 0) {
        return QStringLiteral("the file is not UTF-8 text (byte 0x%1 on line %2)")
            .arg(uint(quint8(data.at(bad))), 2, 16, QLatin1Char('0'))
            .arg(lineOf(bad));
    }
    return {};
}

qsizetype IniDocument::firstInvalidUtf8(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const quint8*>(data.constData());
    const qsizetype size = data.size();
    qsizetype i = 0;
    while (i < size) {
        const quint8 lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        quint32 min = 0;
        quint32 code = 0;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
            min = 0x80;
            code = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            min = 0x800;
            code = lead & 0x0f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            min = 0x10000;
            code = lead & 0x07;
        } else {
            return i;
        }
        if (size - i < length)
            return i;
        for (int k = 1; k < length; ++k) {
            const quint8 next = bytes[i + k];
            if ((next & 0xc0) != 0x80)
                return i;
            code = (code << 6) | (next & 0x3f);
        }
        // Overlong forms, surrogates and code points past Unicode's end are not UTF-8.
        if (code < min || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
            return i;
        i += length;
    }
    return -1;
}

void IniDocument::addComment(const QString& text)
{
    m_comments.append(text);
}

void IniDocument::addSection(const QString& name)
{
    m_sections.append(Section{name, 0, {}});
}

void IniDocument::addEntry(const QString& key, const QString& value)
{
    if (m_sections.isEmpty())
        addSection(QString());
    m_sections.last().entries.append(Entry{key, value, 0});
}

QByteArray IniDocument::toUtf8() const
{
    QString text;
    for (const QString& comment : m_comments)
        text += QStringLiteral("# ") + comment + QLatin1Char('\n');
    for (const Section& section : m_sections) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + section.name + QStringLiteral("]\n");
        for (const Entry& entry : section.entries)
            text += entry.key + (entry.value.isEmpty() ? QStringLiteral(" =") : QStringLiteral(" = ") + entry.value)
                + QLatin1Char('\n');
    }
    return text.toUtf8();
}

} // namespace Telephony
