#pragma once

// A combo box whose drop-down is a list where several wave buffers can be picked at
// once: dropping down shows the registered handles in a list just below the box, four
// times its height; when the list loses the focus or the box is clicked again, the list
// goes and the box holds the picked handles joined with ",".

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
