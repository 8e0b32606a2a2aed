#include "TnvEditRules.h"

#include <TnvNotation.h>

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

#include <QLocale>

#include <cmath>
#include <limits>

int TnvEditRules::readDecimal(const QString& text)
{
    return readDecimalOr(text, 0);
}

quint32 TnvEditRules::readHex(const QString& text)
{
    return readHexOr(text, 0);
}

bool TnvEditRules::readFraction(const QString& text, double& value)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double read = QLocale::system().toDouble(trimmed, &ok);
    if (!ok)
        read = QLocale::c().toDouble(trimmed, &ok);
    // Infinity and NaN are spelled out by some locales; they are no step or length.
    if (!ok || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

int TnvEditRules::readDecimalOr(const QString& text, int current)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    // A huge number is no number of the property: it would wrap into a wrong one.
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return current;
    return int(value);
}

quint32 TnvEditRules::readHexOr(const QString& text, quint32 current)
{
    // toUInt would also take a leading "0x"; the edits hold bare digits only.
    if (text.isEmpty() || text.size() > 8)
        return current;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex)
            return current;
    }
    bool ok = false;
    const quint32 value = text.toUInt(&ok, 16);
    return ok ? value : current;
}

TnvEditRules::TnvEditRules(QLineEdit* edit, std::function<void()> action)
    : QObject(edit)
    , m_action(std::move(action))
{
    setObjectName(QStringLiteral("leaveAction"));
    edit->installEventFilter(this);
}

bool TnvEditRules::eventFilter(QObject* watched, QEvent* event)
{
    // A menu, a popup or another window taking the focus for a while is not leaving
    // the edit: the focus comes back to it.
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason
            && reason != Qt::ActiveWindowFocusReason && m_action)
            m_action();
    }
    return QObject::eventFilter(watched, event);
}

void TnvEditRules::onLeaving(QLineEdit* edit, std::function<void()> action)
{
    new TnvEditRules(edit, std::move(action));
}

void TnvEditRules::onLeavingText(QLineEdit* edit, std::function<void(const QString&)> setter)
{
    onLeaving(edit, [edit, setter = std::move(setter)] { setter(edit->text()); });
}

void TnvEditRules::onLeavingDecimal(QLineEdit* edit, std::function<void(int)> setter)
{
    onLeaving(edit, [edit, setter = std::move(setter)] { setter(readDecimal(edit->text())); });
}

void TnvEditRules::onLeavingHex(QLineEdit* edit, std::function<void(quint32)> setter, std::function<quint32()> stored)
{
    onLeaving(edit, [edit, setter = std::move(setter), stored = std::move(stored)] {
        setter(readHex(edit->text()));
        const QString shown = TnvNotation::hex8(stored());
        if (edit->text() != shown)
            edit->setText(shown);
    });
}

void TnvEditRules::onLeavingIfModified(QLineEdit* edit, std::function<void(const QString&)> setter,
                                       std::function<void()> refresh)
{
    onLeaving(edit, [edit, setter = std::move(setter), refresh = std::move(refresh)] {
        if (edit->isModified()) {
            edit->setModified(false);
            setter(edit->text());
        }
        refresh();
    });
}

bool TnvEditRules::leave(QLineEdit* edit)
{
    auto* rules = edit->findChild<TnvEditRules*>(QStringLiteral("leaveAction"), Qt::FindDirectChildrenOnly);
    if (!rules || !rules->m_action)
        return false;
    rules->m_action();
    return true;
}

void TnvEditRules::onListChange(QComboBox* box, std::function<void(int)> setter)
{
    // Refreshes write the box with its signals blocked, so only the user gets here.
    connect(box, &QComboBox::currentIndexChanged, box, [setter](int index) { setter(index); });
    connect(box, &QComboBox::editTextChanged, box, [box, setter](const QString& text) {
        if (box->currentIndex() < 0 || box->itemText(box->currentIndex()) != text)
            setter(-1);
    });
}

void TnvEditRules::onEntryChosen(QComboBox* box, std::function<void(const QString&)> action)
{
    connect(box, &QComboBox::activated, box, [box, action](int index) {
        if (index >= 0)
            action(box->itemText(index));
    });
}
