// The stored-property reader: settings by dotted path ("Vantage.Log.Count") with values
// of any type, applied to a fresh line control as its stored description is, then read
// back. Each input line is "path=value" (a value starting with '#' is an integer, '?'
// a Boolean, '%' a double, anything else text) or a bare path that is only read.

#include <TnvLine.h>
#include <TnvPropertyPath.h>

#include <QCoreApplication>

#include <cstdint>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<std::pair<QString, QVariant>> settings;
    QStringList reads;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            reads << line;
            continue;
        }
        const QString path = line.left(equals);
        const QString raw = line.mid(equals + 1);
        QVariant value = raw;
        if (raw.startsWith(QLatin1Char('#')))
            value = raw.mid(1).toLongLong();
        else if (raw.startsWith(QLatin1Char('?')))
            value = raw.mid(1) == QLatin1String("true");
        else if (raw.startsWith(QLatin1Char('%')))
            value = raw.mid(1).toDouble();
        settings.emplace_back(path, value);
        reads << path;
    }

    {
        TnvLine line;
        // As the stored description is applied: setters record, and nothing reaches the service.
        line.BeginLoading();
        TnvPropertyPath::apply(&line, settings);
        for (const QString& path : std::as_const(reads))
            TnvPropertyPath::read(&line, path);
    }
    // What the control posted (deferred deletions and the like) must not pile up.
    QCoreApplication::sendPostedEvents();
    return 0;
}
