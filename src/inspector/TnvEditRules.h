#pragma once

// The rules every inspector edit, toggle and list follows when the user drives the
// control by hand. Handlers keep no state: each reads its widget at the moment of
// the action and hands the value to a setter or method of the control.

#include <QObject>

#include <functional>

class QComboBox;
class QLineEdit;

class TnvEditRules : public QObject {
    Q_OBJECT

public:
    // A signed decimal number; anything else, or a number beyond 32 bits, counts as 0.
    static int readDecimal(const QString& text);
    // Hexadecimal without prefix (the eight-digit form included); anything else counts as 0.
    static quint32 readHex(const QString& text);
    // A decimal fraction in the system's form or with a point; false when it is none.
    static bool readFraction(const QString& text, double& value);
    // The same readings, keeping the current value when the text is not a number.
    static int readDecimalOr(const QString& text, int current);
    static quint32 readHexOr(const QString& text, quint32 current);

    // Runs action whenever the edit loses the focus; leave() runs it on demand.
    static void onLeaving(QLineEdit* edit, std::function<void()> action);
    static void onLeavingText(QLineEdit* edit, std::function<void(const QString&)> setter);
    static void onLeavingDecimal(QLineEdit* edit, std::function<void(int)> setter);
    // After the setter the edit shows the stored value again as eight hex digits.
    static void onLeavingHex(QLineEdit* edit, std::function<void(quint32)> setter,
                             std::function<quint32()> stored);
    // Acts only when the user changed the text since the window last wrote it; the
    // modified flag is cleared and then refresh writes the stored value back.
    static void onLeavingIfModified(QLineEdit* edit, std::function<void(const QString&)> setter,
                                    std::function<void()> refresh);
    // The leave action of the edit, run as if the focus had just left it, so that a
    // text typed and not yet confirmed is the one used. False when there is none.
    static bool leave(QLineEdit* edit);

    // Every change of the box passes the selected index, or -1 while a typed text stands.
    static void onListChange(QComboBox* box, std::function<void(int)> setter);
    // Only an entry chosen from the list acts; typing does nothing.
    static void onEntryChosen(QComboBox* box, std::function<void(const QString&)> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TnvEditRules(QLineEdit* edit, std::function<void()> action);

    std::function<void()> m_action;
};
