#include "TnvQuietWriter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalBlocker>

void TnvQuietWriter::setText(QLineEdit* edit, const QString& text)
{
    if (edit->text() == text)
        return;
    const QSignalBlocker block(edit);
    edit->setText(text);
    // The user did not type this.
    edit->setModified(false);
}

void TnvQuietWriter::setChecked(QAbstractButton* button, bool checked)
{
    if (button->isChecked() == checked)
        return;
    const QSignalBlocker block(button);
    button->setChecked(checked);
}

void TnvQuietWriter::setTitle(QGroupBox* group, const QString& title)
{
    if (group->title() != title)
        group->setTitle(title);
}

void TnvQuietWriter::setList(QComboBox* box, const QStringList& names, int index)
{
    const QSignalBlocker block(box);
    bool same = box->count() == names.size();
    for (int i = 0; same && i < names.size(); ++i)
        same = box->itemText(i) == names.at(i);
    if (!same) {
        box->clear();
        box->addItems(names);
    }
    const int at = index >= 0 && index < names.size() ? index : -1;
    const QString shown = at >= 0 ? names.at(at) : QString();
    if (box->currentIndex() != at)
        box->setCurrentIndex(at);
    if (box->isEditable() && box->currentText() != shown)
        box->setEditText(shown);
}

void TnvQuietWriter::setComboText(QComboBox* box, const QString& text)
{
    const QSignalBlocker block(box);
    if (box->currentText() == text)
        return;
    if (box->isEditable()) {
        box->setEditText(text);
        return;
    }
    const int at = box->findText(text);
    box->setCurrentIndex(at);
}
