#include "TnvWaveFileRules.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace {

// The directory part with its final separator removed; empty for a bare name.
QString directoryOf(const QString& name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : name.left(slash);
}

QString fileOf(const QString& name)
{
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TnvWaveFileRules::Start TnvWaveFileRules::splitNames(const QString& text)
{
    Start start;
    bool first = true;
    for (QString name : text.split(QLatin1Char(','))) {
        qsizetype blanks = 0;
        while (blanks < name.size() && name.at(blanks).isSpace())
            ++blanks;
        name.remove(0, blanks);
        if (name.isEmpty())
            continue;
        QString file = fileOf(name);
        if (file.isEmpty())
            continue;
        if (!file.contains(QLatin1Char('.')))
            file += QStringLiteral(".wav");
        const QString directory = directoryOf(name);
        if (first) {
            start.directory = directory;
            first = false;
        } else if (!directory.isEmpty() && directory != start.directory) {
            continue;
        }
        start.names << file;
    }
    return start;
}

QString TnvWaveFileRules::joinChosen(const QStringList& paths, bool dropWav)
{
    QStringList parts;
    for (const QString& path : paths) {
        QString part = parts.isEmpty() ? path : fileOf(path);
        if (dropWav && part.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
            part.chop(4);
        parts << part;
    }
    return parts.join(QLatin1Char(','));
}

void TnvWaveFileRules::offerToHistory(QComboBox* box, const QString& text)
{
    // The list changes under the text the box shows; its own action must not run.
    const QSignalBlocker block(box);
    const QString shown = box->currentText();
    if (box->count() == 0)
        box->addItem(text);
    else if (box->itemText(0) != text)
        box->insertItem(0, text);
    if (box->isEditable() && box->currentText() != shown)
        box->setEditText(shown);
}
