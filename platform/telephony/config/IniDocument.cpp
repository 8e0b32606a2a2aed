#include "IniDocument.h"

#include <QStringDecoder>

namespace Telephony {

namespace {

QString located(const QString& origin, int line, const QString& message)
{
    // Line 0 stands for the file as a whole.
    if (line <= 0)
        return QStringLiteral("%1: %2").arg(origin, message);
    return QStringLiteral("%1:%2: %3").arg(origin).arg(line).arg(message);
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

    if (data.size() > maxFileSize) {
        warn(0, QStringLiteral("the file is larger than %1 bytes and was not read").arg(maxFileSize));
        return doc;
    }
    if (data.contains('\0')) {
        warn(0, QStringLiteral("the file is not text and was not read"));
        return doc;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(data);
    if (decoder.hasError()) {
        warn(0, QStringLiteral("the file is not UTF-8 text and was not read"));
        return doc;
    }
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
