#pragma once

// Picks several wave buffers in one combo box: a plain drop-down takes one entry only,
// so the box opens a multi-select list of its own beneath it and, once the person is
// done with the list, shows the chosen handles as a comma list.

#include <QComboBox>
#include <QListWidget>
#include <QPointer>

#include <functional>


class TnvBufferPicker : public QComboBox {
    Q_OBJECT

public:
    // list is the hidden list the picker shows; entries gives the handles of the moment.
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
