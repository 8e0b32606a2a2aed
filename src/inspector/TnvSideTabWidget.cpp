#include "TnvSideTabWidget.h"

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
        // Icon, gap, caption and a little room on either side; no wider.
        const int width = iconSize().width() + 6 + fontMetrics().horizontalAdvance(tabText(index)) + 24;
        return QSize(width, qMax(26, fontMetrics().height() + 10));
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
};

} // namespace

TnvSideTabWidget::TnvSideTabWidget(QWidget* parent)
    : QTabWidget(parent)
{
    setTabBar(new SideTabBar(this));
    setTabPosition(QTabWidget::West);
}
