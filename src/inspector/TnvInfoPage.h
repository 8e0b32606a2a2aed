#pragma once

// The Misc. page every telephony inspector shares: the information tree on the left,
// a splitter, and on the right a scrolling column of labelled edits, among them the
// five telephony version edits. A window's own page adds its fields and tree rows.

#include <QWidget>

#include <functional>
#include <utility>

class QLabel;
class QLineEdit;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class QVBoxLayout;
class TnvSharedControl;
class TnvTAPI;
class TnvTreeRows;

class TnvInfoPage : public QWidget {
    Q_OBJECT

public:
    // The edits from the stored values, then the tree.
    virtual void refresh() = 0;
    // Forgets the control, whose window is going: a late focus change acts on nothing.
    void detach() { m_control = nullptr; }

    QWidget* PanelMiscTab;
    QTreeWidget* TreeViewInfo;
    QSplitter* SplitterInfoTab;
    QScrollArea* ScrollBoxInfo;
    QLineEdit* EditTAPIExtensionHighVersion = nullptr;
    QLineEdit* EditTAPIExtensionLowVersion = nullptr;
    QLineEdit* EditTAPIHighVersion = nullptr;
    QLineEdit* EditTAPILowVersion = nullptr;
    QLineEdit* EditTAPIReplyTimeout = nullptr;

protected:
    TnvInfoPage(TnvSharedControl* control, TnvTAPI* tapi, QWidget* parent);

    TnvSharedControl* control() const { return m_control; }

    // A label over its edit; both hint the property in the control's name.
    std::pair<QLabel*, QLineEdit*> addField(const QString& labelName, const QString& editName, const QString& caption);
    // The five version edits, wired to the telephony settings.
    void addTapiFields();
    // The edit acts only on a text the user changed and only while the page has its
    // control; refresh() then writes the stored value back, so a text that is no
    // number shows the kept value again.
    void wire(QLineEdit* edit, std::function<void(const QString&)> setter);
    // Ends the column and puts the tree and the column side by side.
    void finishFields();
    // Each label's caption becomes its name in the notation; label and edit hint it
    // in the control's name.
    void notateFields(std::initializer_list<std::pair<QLabel*, QLineEdit*>> fields,
                      std::initializer_list<const char*> names);

    void refreshTapiEdits();
    void addErrorRows(TnvTreeRows& rows);
    void addTapiRows(TnvTreeRows& rows);

private:
    TnvSharedControl* m_control;
    TnvTAPI* m_tapi;
    QString m_kind;
    QWidget* m_fields;
    QVBoxLayout* m_column;
};
