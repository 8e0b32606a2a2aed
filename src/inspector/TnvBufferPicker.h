#pragma once

// A combo box whose drop-down lets several wave buffers be picked. QComboBox's own popup
// takes one row, so this one shows a multi-selection QListWidget instead and writes the
// picked handles back as "a,b,c" when the list closes.

#include <QComboBox>
#include <QListWidget>
#include <QPointer>

#include <functional>


class TnvBufferPicker : public QComboBox {
    Q_OBJECT

public:
    // entries() supplies the handles to list; it is called each time the list opens.
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
