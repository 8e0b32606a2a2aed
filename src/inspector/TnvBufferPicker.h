#pragma once

// Lets several wave buffers be ticked in its drop-down list (a plain combo box takes one);
// the ticked handles end up comma-separated in the edit field.

#include <QComboBox>
#include <QListWidget>
#include <QPointer>

#include <functional>


class TnvBufferPicker : public QComboBox {
    Q_OBJECT

public:
    // Asked for the handles each time the list drops down.
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
