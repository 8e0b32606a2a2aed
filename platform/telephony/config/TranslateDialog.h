#pragma once

#include "DialingLocation.h"

#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace Telephony {

class LocationForm;
class LocationStore;

// The dialing-locations dialog behind lineTranslateDialog: the user picks where they
// dial from, edits each location's codes and sees the application's number as it
// would be dialed. The selected location becomes current on OK, which also saves the
// file; Cancel drops every edit, so the configuration only ever sees a complete set.
class TranslateDialog : public QDialog {
    Q_OBJECT

public:
    TranslateDialog(LocationStore& store, const QString& address, QWidget* parent = nullptr);

    // The locations as edited so far.
    QList<DialingLocation> locations() const { return m_locations; }

public slots:
    void accept() override;

private:
    void selectRow(int row);
    void addLocation();
    void removeLocation();
    void formEdited();
    void itemRenamed(QListWidgetItem* item);
    void refresh();
    QString previewText() const;
    DWORD freeId() const;

    LocationStore& m_store;
    QList<DialingLocation> m_locations;
    int m_row = -1;
    bool m_syncing = false;

    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    LocationForm* m_form = nullptr;
    QLineEdit* m_number = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_problem = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace Telephony
