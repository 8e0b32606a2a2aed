#include "TnvDropDownBox.h"

TnvDropDownBox::TnvDropDownBox(QWidget* parent)
    : QComboBox(parent)
{
}

void TnvDropDownBox::showPopup()
{
    if (m_fill)
        m_fill();
    QComboBox::showPopup();
}
