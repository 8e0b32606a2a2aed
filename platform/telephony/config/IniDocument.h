#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Telephony {

// The line syntax of the configuration file: "[section]" headers, "key = value" lines,
// and comments starting with '#' or ';'. Reading never fails: what cannot be understood
// is skipped with a warning naming the line, so one bad line costs only itself. Values
// stay raw text here; IniValue gives them meaning.
class IniDocument {
public:
    struct Entry {
        QString key;
        QString value;
        int line = 0;
    };
    struct Section {
        QString name;
        int line = 0;
        QList<Entry> entries;
    };

    // Larger files are not configuration files; reading them would only cost memory.
    static constexpr qsizetype maxFileSize = 256 * 1024;
    static constexpr int maxLineLength = 4096;

    // Parses UTF-8 text. Warnings read "<origin>:<line>: <what>". Text that is not
    // UTF-8 or holds NUL bytes yields an empty document and one warning.
    static IniDocument parse(const QByteArray& data, const QString& origin, QStringList* warnings);
    // Empty when data can be read as a configuration file at all, otherwise why not
    // ("the file is not UTF-8 text (byte 0xe9 on line 3)" and the like).
    static QString textProblem(const QByteArray& data);
    // The offset of the first byte that does not belong to valid UTF-8, or -1.
    static qsizetype firstInvalidUtf8(const QByteArray& data);

    const QList<Section>& sections() const { return m_sections; }

    void addComment(const QString& text);
    // Appends a section; entries added later go into the last section.
    void addSection(const QString& name);
    void addEntry(const QString& key, const QString& value);

    QByteArray toUtf8() const;

private:
    QStringList m_comments;
    QList<Section> m_sections;
};

} // namespace Telephony
