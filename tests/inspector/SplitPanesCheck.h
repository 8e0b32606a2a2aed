#pragma once

// Checks a tree beside a box of fields as a person uses it at the window's first size:
// every row of the tree shows whole (or the tree scrolls to it), the fields show whole
// (or the box scrolls to them), and the divider between them moves both ways.

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

inline void expectUsableSplitPanes(QSplitter* splitter)
{
    ASSERT_TRUE(splitter->isVisible()) << splitter->objectName().toStdString();
    QApplication::processEvents();
    auto* tree = qobject_cast<QTreeWidget*>(splitter->widget(0));
    auto* box = qobject_cast<QScrollArea*>(splitter->widget(1));
    ASSERT_TRUE(tree && box);
    SCOPED_TRACE(splitter->objectName().toStdString());
    EXPECT_GT(tree->topLevelItemCount(), 0);
    // Each row shown has room for its whole text.
    std::function<void(QTreeWidgetItem*)> check = [&](QTreeWidgetItem* item) {
        EXPECT_GE(tree->visualItemRect(item).width(), tree->fontMetrics().horizontalAdvance(item->text(0)))
            << item->text(0).toStdString();
        if (item->isExpanded()) {
            for (int i = 0; i < item->childCount(); ++i)
                check(item->child(i));
        }
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        check(tree->topLevelItem(i));
    const bool fieldsWhole = box->viewport()->width() >= box->widget()->minimumSizeHint().width();
    EXPECT_TRUE(fieldsWhole || box->horizontalScrollBar()->isVisible());
    const QList<int> start = splitter->sizes();
    for (int delta : {-30, 30}) {
        splitter->setSizes({start[0] + delta, start[1] - delta});
        EXPECT_EQ(splitter->sizes().value(0), start[0] + delta) << "moved by " << delta;
        splitter->setSizes(start);
    }
}
