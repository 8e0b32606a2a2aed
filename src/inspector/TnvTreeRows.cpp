#include "TnvTreeRows.h"

#include <TnvNotation.h>
#include <TnvVantage.h>

#include <QLocale>
#include <QTreeWidget>

TnvTreeRows::TnvTreeRows(QTreeWidget* tree, TnvVantage* vantage)
    : m_tree(tree)
    , m_vantage(vantage)
    , m_nodes(tree)
    , m_building(tree->topLevelItemCount() == 0)
    , m_wasEnabled(tree->updatesEnabled())
{
    // A window that holds its painting back already holds the tree's; the tree is then
    // left as it is, or it would stay disabled on its own afterwards.
    if (m_wasEnabled)
        m_tree->setUpdatesEnabled(false);
    if (m_building)
        m_tree->clear();
}

TnvTreeRows::~TnvTreeRows()
{
    if (m_wasEnabled)
        m_tree->setUpdatesEnabled(true);
}

QTreeWidgetItem* TnvTreeRows::next(QTreeWidgetItem* parent, const QString& text)
{
    if (m_building)
        return static_cast<TnvTreeWidgetItem*>(m_nodes.addChild(static_cast<TnvTreeWidgetItem*>(parent), text));
    int& at = m_cursor[parent];
    const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
    // A tree someone else changed: add what is missing rather than write past the end.
    if (at >= count) {
        ++at;
        return static_cast<TnvTreeWidgetItem*>(m_nodes.addChild(static_cast<TnvTreeWidgetItem*>(parent), text));
    }
    QTreeWidgetItem* item = parent ? parent->child(at) : m_tree->topLevelItem(at);
    ++at;
    return item;
}

QTreeWidgetItem* TnvTreeRows::setOrAdd(QTreeWidgetItem* parent, const QString& text)
{
    QTreeWidgetItem* item = next(parent, text);
    if (item->text(0) != text)
        item->setText(0, text);
    return item;
}

QTreeWidgetItem* TnvTreeRows::node(QTreeWidgetItem* parent, const QString& caption, bool expanded)
{
    QTreeWidgetItem* item = setOrAdd(parent, caption);
    if (m_building && expanded)
        item->setExpanded(true);
    return item;
}

QTreeWidgetItem* TnvTreeRows::row(QTreeWidgetItem* parent, const QString& text)
{
    return setOrAdd(parent, m_vantage->Notate(text));
}

QTreeWidgetItem* TnvTreeRows::flags(QTreeWidgetItem* parent, const QString& name, quint32 value, TnvTextFn textFn,
                                    quint32 last, quint32 first)
{
    if (m_building)
        return static_cast<TnvTreeWidgetItem*>(
            m_vantage->AddFlagsNode(name, value, textFn, static_cast<TnvTreeWidgetItem*>(parent), m_nodes, last, first));
    auto* item = static_cast<TnvTreeWidgetItem*>(next(parent, QString()));
    m_vantage->UpdateFlagsNode(name, value, textFn, item, m_nodes, last, first);
    return item;
}

QTreeWidgetItem* TnvTreeRows::steps(QTreeWidgetItem* parent, const QString& name, quint32 value, TnvTextFn textFn,
                                    quint32 last, quint32 first)
{
    if (m_building)
        return static_cast<TnvTreeWidgetItem*>(
            m_vantage->AddStepsNode(name, value, textFn, static_cast<TnvTreeWidgetItem*>(parent), m_nodes, last, first));
    auto* item = static_cast<TnvTreeWidgetItem*>(next(parent, QString()));
    m_vantage->UpdateStepsNode(name, value, textFn, item, m_nodes, last, first);
    return item;
}

QTreeWidgetItem* TnvTreeRows::boolRow(QTreeWidgetItem* parent, const QString& name, bool value)
{
    return row(parent, name + QStringLiteral(" = ") + TnvVantage::BoolText(value));
}

QTreeWidgetItem* TnvTreeRows::decimalRow(QTreeWidgetItem* parent, const QString& name, qint64 value)
{
    return row(parent, name + QStringLiteral(" = ") + QString::number(value));
}

QTreeWidgetItem* TnvTreeRows::hexRow(QTreeWidgetItem* parent, const QString& name, quint32 value)
{
    return row(parent, name + QStringLiteral(" = ") + TnvVantage::HexText(value));
}

QTreeWidgetItem* TnvTreeRows::enumRow(QTreeWidgetItem* parent, const QString& name, quint32 value, TnvTextFn textFn)
{
    return row(parent, name + QStringLiteral(" = ") + textFn(value) + TnvVantage::HexText(value));
}

QTreeWidgetItem* TnvTreeRows::timeRow(QTreeWidgetItem* parent, const QString& name, const QDateTime& value)
{
    return row(parent, name + QStringLiteral(" = ") + timeText(value));
}

QString TnvTreeRows::timeText(const QDateTime& value)
{
    if (!value.isValid() || value.toMSecsSinceEpoch() == 0)
        return QStringLiteral("<unavailable>");
    return QLocale::system().toString(value, QLocale::ShortFormat);
}
