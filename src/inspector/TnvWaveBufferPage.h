#pragma once

// The Source.Buffer page of the wave windows: whether the buffer is the source, which
// registered buffer it holds, its INFO texts, and the buffer's operations (create, free,
// cut, load from files or other buffers, save). Every action calls the buffer of the
// control; the control brings the window up to date afterwards.

#include <QWidget>

#include <functional>

class QComboBox;
class QDateTime;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class TnvBufferPicker;
class TnvDropDownBox;
class TnvWaveBuffer;
class TnvWaveControl;

class TnvWaveBufferPage : public QWidget {
    Q_OBJECT

public:
    // chooseFiles runs the file selection of a speed button into its combo box.
    using FileChooser = std::function<void(QComboBox* box, bool load)>;

    TnvWaveBufferPage(TnvWaveControl* control, FileChooser chooseFiles, QWidget* parent = nullptr);

    // The page from the buffer: Active, the handle and the INFO texts.
    void refresh();
    // Hints in the control's name, converted to the notation.
    void applyNotation();
    void detach() { m_control = nullptr; }

    QRadioButton* RadioButtonSourceBufferActiveTrue;
    QRadioButton* RadioButtonSourceBufferActiveFalse;
    TnvDropDownBox* ComboBoxSourceBufferHandle;
    QLineEdit* EditSourceBufferAuthor;
    QLineEdit* EditSourceBufferCategory;
    QLineEdit* EditSourceBufferComments;
    QLineEdit* EditSourceBufferCopyright;
    QLineEdit* EditSourceBufferKeywords;
    QLineEdit* EditSourceBufferSubject;
    QLineEdit* EditSourceBufferName;
    QLineEdit* EditSourceBufferCreationDate;
    QPushButton* ButtonBufferCreate;
    QLineEdit* EditCreatBuffer;
    QPushButton* ButtonBufferFreeBuffer;
    QPushButton* ButtonBufferDeleteBefore;
    QLineEdit* EditBufferDeleteBefore;
    QPushButton* ButtonBufferDeleteAfter;
    QLineEdit* EditBufferDeleteAfter;
    QPushButton* ButtonBufferLoadFromFile;
    QComboBox* ComboBoxBufferLoadFromFile;
    QToolButton* SpeedButtonBufferLoadFromFile;
    QPushButton* ButtonBufferSaveToFile;
    QComboBox* ComboBoxBufferSaveToFile;
    QToolButton* SpeedButtonBufferSaveToFile;
    QPushButton* ButtonSourceBufferLoadFromBuffers;
    TnvBufferPicker* ComboBoxLoadFromBuffer;

    // The creation date as the page shows it: the system's date and time, or
    // "<Unavailable>" for none.
    static QString dateText(const QDateTime& value);

private:
    TnvWaveBuffer* buffer() const;
    void makeInfoEdits(QGridLayout* grid, int& row);
    void makeOperations(QGridLayout* grid, int& row);
    void activeClicked();
    void handleChosen(const QString& text);
    void creationDateLeft();
    // Cuts with the seconds in edit; a text that is no number becomes "0" and nothing
    // is cut.
    void cut(QLineEdit* edit, bool before);

    TnvWaveControl* m_control;
    FileChooser m_chooseFiles;
    QString m_kind;
};
