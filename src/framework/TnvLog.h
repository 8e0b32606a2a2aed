#pragma once

// The trace log of one control: a bounded list of lines recording every property
// assignment, method call, event, error and warning, in the notation chosen by the
// owning TnvVantage. Every line also goes to the control's OnLog handler.

#include <QObject>
#include <QStringList>

#include <optional>

class TnvSharedControl;
class TnvVantage;

class TnvLog : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(int Count READ Count WRITE setCount)
    Q_PROPERTY(bool TimeStamp READ TimeStamp WRITE setTimeStamp)

public:
    TnvLog(TnvSharedControl* owner, TnvVantage* vantage);

    const QStringList& Lines() const { return m_lines; }
    // Direct access for the control's banner lines, which bypass formatting.
    QStringList& rawLines() { return m_lines; }

    bool Active() const { return m_active; }
    int Count() const { return m_count; }
    bool TimeStamp() const { return m_timeStamp; }
    void setActive(bool value);
    void setCount(int value);
    void setTimeStamp(bool value);

    bool Add(bool stamped, const QString& text);
    bool AppendToLast(const QString& text);
    Q_INVOKABLE bool Clear();
    void Refresh();
    bool CopyToClipboard();
    bool Print();
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // Opens a property dump of the object called name: nothing (and no path) while the
    // log is inactive; otherwise writes a non-empty header and gives the path that each
    // property line starts with: indent, prefix and "." when given, name and ".".
    std::optional<QString> propertyPath(const QString& header, const QString& prefix, const QString& indent,
                                        QStringView name);

    // Brackets a burst of Add calls (a property dump) so the window is refreshed once.
    void BeginUpdate();
    void EndUpdate();

    TnvSharedControl* owner() const { return m_owner; }

private:
    void trimTo(int count);

    QStringList m_lines;
    TnvSharedControl* m_owner;
    TnvVantage* m_vantage;
    bool m_timeStamp = false;
    bool m_active = true;
    int m_count = 50;
    int m_updateDepth = 0;
    bool m_refreshPending = false;
};
