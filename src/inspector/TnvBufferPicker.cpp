#include "TnvBufferPicker.h"

#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimer>

namespace {

// focusOutEvent rather than an event filter: filters still run during destruction.
class PickList : public QListWidget {
public:
    std::function<void()> focusLost;

protected:
    void focusOutEvent(QFocusEvent* event) override
    {
        QListWidget::focusOutEvent(event);
        if (isVisible() && focusLost)
            focusLost();
    }
};

} // namespace

TnvBufferPicker::TnvBufferPicker(std::function<QStringList()> entries, QWidget* parent)
    : QComboBox(parent)
    , m_entries(std::move(entries))
{
    auto* list = new PickList;
    list->focusLost = [this] { takePicks(); };
    m_list = list;
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    m_list->setObjectName(QStringLiteral("ListBoxLoadFromBuffer"));
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    m_list->hide();
}

TnvBufferPicker::~TnvBufferPicker()
{
    if (auto* list = static_cast<PickList*>(m_list.data()))
        list->focusLost = nullptr;
    delete m_list;
}

void TnvBufferPicker::showPopup()
{
    // The list closed itself on this very press; reopening it would cancel the click.
    if (m_justPicked)
        return;
    if (m_list->isVisible()) {
        takePicks();
        return;
    }
    m_list->clear();
    m_list->addItems(m_entries ? m_entries() : QStringList());
    QWidget* host = window();
    if (m_list->parentWidget() != host)
        m_list->setParent(host);
    const QPoint below = mapTo(host, QPoint(0, height()));
    m_list->setGeometry(below.x(), below.y(), width(), 4 * height());
    m_list->show();
    m_list->raise();
    m_list->setFocus(Qt::PopupFocusReason);
}

void TnvBufferPicker::hidePopup()
{
    if (m_list->isVisible())
        takePicks();
    QComboBox::hidePopup();
}

void TnvBufferPicker::mousePressEvent(QMouseEvent* event)
{
    if (m_list->isVisible()) {
        takePicks();
        event->accept();
        return;
    }
    QComboBox::mousePressEvent(event);
}

void TnvBufferPicker::takePicks()
{
    QStringList picked;
    // In list order, not in the order they were clicked.
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            picked << m_list->item(i)->text();
    }
    m_list->hide();
    setEditText(picked.join(QLatin1Char(',')));
    m_justPicked = true;
    QTimer::singleShot(0, this, [this] { m_justPicked = false; });
}
