#pragma once

// The six controls that show one set of call parameters (Defaults, AddressID,
// BearerMode, Flags, MediaMode, NoAnswerTimeOut). The call, transfer, conference and
// forwarding pages each hold one, told apart by the prefix of their component names.

#include <QWidget>

class QCheckBox;
class QLineEdit;
class TnvCallParameters;

class TnvCallParametersBox : public QWidget {
    Q_OBJECT

public:
    // prefix: "CP", "TP", "ConferenceP" or "AFP"; path: "Call.Parameters" and the like.
    TnvCallParametersBox(const QString& prefix, const QString& path, QWidget* parent = nullptr);

    void refresh(const TnvCallParameters* parameters);

    QCheckBox* CheckBoxDefaults;
    QLineEdit* EditAddressID;
    QLineEdit* EditBearerMode;
    QLineEdit* EditFlags;
    QLineEdit* EditMediaMode;
    QLineEdit* EditNoAnswerTimeOut;
};
