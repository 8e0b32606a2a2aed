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
    // Lets the controls set parameters; the Flags edit acts on leaving unless asked
    // to act on every change of its text.
    void attach(TnvCallParameters* parameters, bool flagsOnEveryChange = false);

    QCheckBox* CheckBoxDefaults;
    QLineEdit* EditAddressID;
    QLineEdit* EditBearerMode;
    QLineEdit* EditFlags;
    QLineEdit* EditMediaMode;
    QLineEdit* EditNoAnswerTimeOut;
};
