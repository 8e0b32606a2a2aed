#pragma once

// Lines a test produced, held against a text file kept beside the tests.

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

// Compares lines with the file at path, where a stored line "<any>" matches any one line,
// and prints both on a difference. While the environment variable named by
// updateVariable is set, the file is written from the lines instead.
inline void expectStoredLines(const QString& path, const QStringList& lines, const char* updateVariable)
{
    if (qEnvironmentVariableIsSet(updateVariable)) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        if (!lines.isEmpty())
            out.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString content = QString::fromUtf8(in.readAll());
    QStringList expected = content.isEmpty() ? QStringList() : content.split(QLatin1Char('\n'));
    if (!expected.isEmpty() && expected.constLast().isEmpty())
        expected.removeLast();
    bool same = expected.size() == lines.size();
    for (qsizetype i = 0; same && i < lines.size(); ++i)
        same = expected.at(i) == QLatin1String("<any>") || expected.at(i) == lines.at(i);
    EXPECT_TRUE(same) << "expected (" << path.toStdString() << "):\n"
                      << expected.join(QLatin1Char('\n')).toStdString() << "\nactual:\n"
                      << lines.join(QLatin1Char('\n')).toStdString();
}
