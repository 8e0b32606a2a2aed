#pragma once

// The Transfer and the Conference pages of the line inspector: three call rows (a state
// picture, a label, a "<<" button and the handle), the operation buttons and the
// parameters of the operation's calls. One class serves both; they differ in names.

#include "TnvLineVantageArt.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TnvCallParametersBox;
class TnvLine;

class TnvLineJoinPage : public QWidget {
    Q_OBJECT

public:
    enum Kind { Transfer, Conference };

    TnvLineJoinPage(Kind kind, TnvLine* line, QWidget* parent = nullptr);

    // Writes the three handles and repaints the row pictures: for handle 0 all grey,
    // for -1 every row that holds a call, otherwise only the row holding that handle.
    // True when a primary call is set.
    bool refresh(int handle);
    void showPhoneNumber();
    void refreshParameters();

    // The picture a row shows now (rows: primary, consult, third).
    TnvLineVantageArt::Picture rowPicture(int row) const { return m_rowPictures[std::size_t(row)]; }

    QTabWidget* pages;
    std::array<QLabel*, 3> images{};
    std::array<QPushButton*, 3> selectButtons{};
    QComboBox* ComboBoxPrimaryCall;
    QComboBox* ComboBoxConsultCall;
    // ThreeWayCall for a transfer, the conference's Handle for a conference.
    QLineEdit* EditThirdCall;
    QPushButton* ButtonDial;
    QLineEdit* EditPhoneNumber;
    // Transfer: SwapHold, Complete, ThreeWay. Conference: AddCall, RemoveCall, SwapHold.
    std::array<QPushButton*, 3> operationButtons{};
    TnvCallParametersBox* parameters;

    // Dial, after taking the phone number typed into the edit.
    void dial();
    // The operation buttons in their order.
    void operate(int index);
    // Renews the entries of a call list from source without the no-call entry.
    void fillCallList(QComboBox* box, const QStringList& source);

signals:
    // A "<<" button made one of the operation's calls the current call.
    void callChosen();

private:
    std::array<quint32, 3> handles() const;
    void paintRow(int row, TnvLineVantageArt::Picture picture);

    Kind m_kind;
    TnvLine* m_line;
    std::array<TnvLineVantageArt::Picture, 3> m_rowPictures{};
};
