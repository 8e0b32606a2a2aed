#include "TnvMenuColumns.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionMenuItem>

namespace {

// One item of a column: painted and sized as a menu item of the style in force.
class ColumnItem : public QWidget {
public:
    ColumnItem(QAction* action, QWidget* parent)
        : QWidget(parent)
        , m_action(action)
    {
        setFocusPolicy(Qt::StrongFocus);
        setObjectName(action->objectName());
        setAttribute(Qt::WA_Hover);
        connect(action, &QAction::changed, this, [this] {
            updateGeometry();
            update();
        });
    }

    QAction* action() const { return m_action; }

    QSize sizeHint() const override
    {
        const QStyleOptionMenuItem option = styleOption();
        const QSize text(fontMetrics().horizontalAdvance(option.text), fontMetrics().height());
        return style()->sizeFromContents(QStyle::CT_MenuItem, &option, text, this);
    }

    // Closes the menu first, as a menu does before its item's action runs.
    void activate()
    {
        if (!m_action->isEnabled())
            return;
        QPointer<QAction> action = m_action;
        if (auto* menu = qobject_cast<QMenu*>(window()))
            menu->close();
        if (action)
            action->trigger();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QStyleOptionMenuItem option = styleOption();
        style()->drawControl(QStyle::CE_MenuItem, &option, &painter, this);
    }

    bool event(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::HoverEnter:
            // The mouse and the keyboard share one selection, as in a menu.
            setFocus(Qt::MouseFocusReason);
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            update();
            break;
        default:
            break;
        }
        return QWidget::event(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (rect().contains(event->position().toPoint()))
            activate();
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            activate();
            return;
        default:
            // Arrows move through the grid; the block knows the neighbours.
            event->ignore();
        }
    }

private:
    QStyleOptionMenuItem styleOption() const
    {
        QStyleOptionMenuItem option;
        option.initFrom(this);
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.checkType = m_action->isCheckable() ? QStyleOptionMenuItem::NonExclusive
                                                   : QStyleOptionMenuItem::NotCheckable;
        option.checked = m_action->isChecked();
        option.menuHasCheckableItems = true;
        option.text = m_action->text();
        option.maxIconWidth = 0;
        option.reservedShortcutWidth = 0;
        option.font = font();
        option.menuRect = parentWidget() ? parentWidget()->rect() : rect();
        option.state.setFlag(QStyle::State_Enabled, m_action->isEnabled());
        option.state.setFlag(QStyle::State_Selected, hasFocus() && m_action->isEnabled());
        return option;
    }

    QAction* m_action;
};

// The grid of items; arrow keys move the focus between neighbouring items.
class ColumnBlock : public QWidget {
public:
    ColumnBlock(const QList<QList<QAction*>>& columns, QWidget* parent)
        : QWidget(parent)
    {
        auto* grid = new QGridLayout(this);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(0);
        grid->setVerticalSpacing(0);
        for (int c = 0; c < columns.size(); ++c) {
            if (c > 0) {
                // A bar between columns, as a column break in a menu draws it.
                auto* bar = new QFrame(this);
                bar->setFrameShape(QFrame::VLine);
                bar->setFrameShadow(QFrame::Sunken);
                grid->addWidget(bar, 0, 2 * c - 1, qMax(1, int(columns.at(0).size())), 1);
            }
            QList<ColumnItem*> column;
            for (int r = 0; r < columns.at(c).size(); ++r) {
                auto* item = new ColumnItem(columns.at(c).at(r), this);
                item->installEventFilter(this);
                grid->addWidget(item, r, 2 * c, Qt::AlignTop);
                column << item;
            }
            m_items << column;
        }
        grid->setRowStretch(grid->rowCount(), 1);
        if (!m_items.isEmpty() && !m_items.constFirst().isEmpty())
            setFocusProxy(m_items.constFirst().constFirst());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (int c = 0; c < m_items.size(); ++c) {
            const int r = m_items.at(c).indexOf(static_cast<ColumnItem*>(watched));
            if (r < 0)
                continue;
            int nc = c;
            int nr = r;
            if (key == Qt::Key_Up)
                --nr;
            else if (key == Qt::Key_Down)
                ++nr;
            else if (key == Qt::Key_Left)
                --nc;
            else if (key == Qt::Key_Right)
                ++nc;
            else
                return false;
            if (nc >= 0 && nc < m_items.size() && !m_items.at(nc).isEmpty()) {
                nr = qBound(0, nr, int(m_items.at(nc).size()) - 1);
                m_items.at(nc).at(nr)->setFocus(Qt::TabFocusReason);
            }
            return true;
        }
        return false;
    }

private:
    QList<QList<ColumnItem*>> m_items;
};

} // namespace

TnvMenuColumns::TnvMenuColumns(QObject* parent)
    : QWidgetAction(parent)
    , m_columns{{}}
{
}

void TnvMenuColumns::addItem(QAction* action)
{
    m_columns.last() << action;
}

void TnvMenuColumns::addColumnBreak()
{
    if (!m_columns.constLast().isEmpty())
        m_columns << QList<QAction*>();
}

QList<QAction*> TnvMenuColumns::items() const
{
    QList<QAction*> all;
    for (const QList<QAction*>& column : m_columns)
        all << column;
    return all;
}

QWidget* TnvMenuColumns::createWidget(QWidget* parent)
{
    return new ColumnBlock(m_columns, parent);
}
