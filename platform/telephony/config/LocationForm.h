#pragma once

#include "DialingLocation.h"

#include <QWidget>

class QLineEdit;
class QRadioButton;

namespace Telephony {

// The fields of one dialing location. Validators keep each field to the characters its
// code may hold; whether the whole location is usable is left to
// DialingLocations::checkLocation, so the dialog and the file share one rule.
class LocationForm : public QWidget {
    Q_OBJECT

public:
    explicit LocationForm(QWidget* parent = nullptr);

    // Shows the location without announcing an edit.
    void setLocation(const DialingLocation& location);
    // The fields as they stand, with the id of the location last shown.
    DialingLocation location() const;
    // Moves the focus to the name so a new location can be named right away.
    void focusName();

signals:
    void edited();

private:
    QLineEdit* addCodeField(const QString& objectName, const QString& pattern, int maxLength);
    void announceEdit();

    DWORD m_id = 0;
    bool m_updating = false;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_countryCode = nullptr;
    QLineEdit* m_areaCode = nullptr;
    QLineEdit* m_localAccess = nullptr;
    QLineEdit* m_longDistanceAccess = nullptr;
    QLineEdit* m_longDistancePrefix = nullptr;
    QLineEdit* m_internationalPrefix = nullptr;
    QLineEdit* m_cancelCallWaiting = nullptr;
    QRadioButton* m_tone = nullptr;
    QRadioButton* m_pulse = nullptr;
};

} // namespace Telephony
