#pragma once

// Chooses several wave buffers at once. QComboBox's popup selects one row only, so on
// drop-down this box opens a QListWidget of its own and, when that closes, puts the
// selected handles into the edit text, comma-separated.

#include <QComboBox>
#include <QListWidget>
#include <QPointer>

#include <functional>


class TnvBufferPicker : public QComboBox {
    Q_OBJECT

public:
    // entries is asked for the current buffer handles at every drop-down.
    TnvBufferPicker(std::function<QStringList()> entries, QWidget* parent = nullptr);

    ~TnvBufferPicker() override;

    void showPopup() override;
    void hidePopup() override;

    QListWidget* list() const { return m_list; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Hides the list and shows what was picked.
    void takePicks();

    std::function<QStringList()> m_entries;
    // Floats over the window once shown; the picker deletes it.
    QPointer<QListWidget> m_list;
    bool m_justPicked = false;
};
