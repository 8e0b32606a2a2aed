#pragma once

// The Source.Format page of the wave windows: the format's name, its enumeration name,
// the six values of the format chunk and the size and duration of the source. The play
// window only shows them; the record window sets the recording format here, by name
// from the table of known formats or value by value.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class TnvWaveControl;
class TnvWaveFormat;

class TnvWaveFormatPage : public QWidget {
    Q_OBJECT

public:
    TnvWaveFormatPage(TnvWaveControl* control, bool editable, QWidget* parent = nullptr);

    // Fills the name list with the names of the known formats in ID order.
    void fillFormatNames();
    // Everything from the control's Source.Format, then the size.
    void refresh();
    void refreshSize();
    // Labels and hints in the notation.
    void applyNotation();
    void detach() { m_control = nullptr; }

    QScrollArea* ScrollBoxSourceFormat;
    QLabel* LabelSourceFormatName;
    QLineEdit* EditSourceFormatName = nullptr;
    QComboBox* ComboBoxSourceFormatName = nullptr;
    QLabel* LabelLabelFormatID;
    QLineEdit* EditFormatID;
    QLabel* LabelFormatTag;
    QLineEdit* EditFormatTag;
    QLabel* LabelFormatChannels;
    QLineEdit* EditFormatChannels;
    QLabel* LabelFormatBitsPerSample;
    QLineEdit* EditFormatBitsPerSample;
    QLabel* LabelFormatAvgBytesPerSec;
    QLineEdit* EditFormatAvgBytesPerSec;
    QLabel* LabelFormatBlockAlign;
    QLineEdit* EditFormatBlockAlign;
    QLabel* LabelFormatSamplesPerSec;
    QLineEdit* EditFormatSamplesPerSec;
    QLabel* LabelLabelFormatBytes;
    QLineEdit* EditFormatBytes;
    QLabel* LabelLabelFormatSeconds;
    QLineEdit* EditFormatSeconds;

signals:
    // The user changed the format; the window gives the designer notice.
    void formatEdited();

private:
    TnvWaveFormat* format() const;
    void wireValue(QLineEdit* edit, void (TnvWaveFormat::*setter)(qint32));

    TnvWaveControl* m_control;
    bool m_editable;
    QString m_kind;
};
