#include "TnvSideTabWidget.h"

#include <QEvent>
#include <QHash>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>

namespace {

// Draws each west tab's shape as the style does, and its icon and caption upright.
class SideTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        // Icon, gap, caption and a little room on either side; no wider. The bar asks
        // for every tab whenever one changes, so a caption is measured once.
        const QString text = tabText(index);
        auto known = m_sizes.constFind(text);
        if (known == m_sizes.cend()) {
            const int width = iconSize().width() + 6 + fontMetrics().horizontalAdvance(text) + 24;
            known = m_sizes.insert(text, QSize(width, qMax(26, fontMetrics().height() + 10)));
        }
        return *known;
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            m_sizes.clear();
        QTabBar::changeEvent(event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionTab option;
        for (int i = 0; i < count(); ++i) {
            initStyleOption(&option, i);
            painter.drawControl(QStyle::CE_TabBarTabShape, option);
            option.shape = QTabBar::RoundedNorth;
            option.rect.adjust(2, 0, 0, 0);
            painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        }
    }

private:
    mutable QHash<QString, QSize> m_sizes;
};

} // namespace

TnvSideTabWidget::TnvSideTabWidget(QWidget* parent)
    : QTabWidget(parent)
{
    setTabBar(new SideTabBar(this));
    setTabPosition(QTabWidget::West);
}
