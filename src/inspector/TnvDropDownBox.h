#pragma once

// A combo box that lets its owner fill the list just before it drops down, so that
// the entries are those of the moment the user looks at them.

#include <QComboBox>

#include <functional>

class TnvDropDownBox : public QComboBox {
    Q_OBJECT

public:
    explicit TnvDropDownBox(QWidget* parent = nullptr);

    void setBeforeDropDown(std::function<void()> fill) { m_fill = std::move(fill); }
    void showPopup() override;

private:
    std::function<void()> m_fill;
};
