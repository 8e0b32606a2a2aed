#pragma once

// A combo box for choosing more than one wave buffer. Qt's own popup allows a single
// choice, so the box shows a list of its own with multiple selection and writes the
// choices back into its text.

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
