#pragma once

// The Call page of the line inspector: the call group (state pictures, the list of call
// handles, the call buttons) over the call's own pages: Control, CallerID, Digits,
// Parameters and Properties.

#include "TnvLineVantageArt.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class TnvCallerIDPanel;
class TnvCallParametersBox;
class TnvDeferredArea;
class TnvLine;

class TnvLineCallPage : public QWidget {
    Q_OBJECT

public:
    explicit TnvLineCallPage(TnvLine* line, QWidget* parent = nullptr);

    // The call group, its pictures, the caller IDs and the call tree.
    void refreshCall();
    void refreshCallerID();
    void refreshCallControl();
    void refreshDigits();
    void refreshParameters();
    void showDigitsGathered(const QString& digits);
    void showDigitReceived(const QString& digits);

    // The commands the buttons and the Call menu share.
    void dial();
    void park();
    void unpark();
    void pickup();
    void redirect();
    void handoff();
    void sendTone();
    void sendDigits();
    void toggleMonitorSilence();
    void toggleMonitorDigits();

    // Writes the trees that were left stale while hidden.
    void flushTrees();

    // The one picture shown in the call group.
    TnvLineVantageArt::Picture shownPicture() const { return m_shown; }

    QGroupBox* GroupBoxCall;
    std::array<QLabel*, TnvLineVantageArt::PictureCount> pictures{};
    QComboBox* ComboBoxCall;
    QToolButton* SpeedButtonCallPhoneNumber;
    QToolButton* SpeedButtonCallAnswer;
    QToolButton* SpeedButtonCallHangup;
    QToolButton* SpeedButtonCallHold;
    QToolButton* SpeedButtonCallUnhold;
    QToolButton* SpeedButtonCallPark;
    QToolButton* SpeedButtonCallUnpark;
    QToolButton* SpeedButtonCallPickup;
    QToolButton* SpeedButtonCallRedirect;
    QTabWidget* PageControlCall;

    // Control
    QScrollArea* ScrollBox2;
    QPushButton* ButtonCallPhoneNumber;
    QLineEdit* EditPhoneNumber;
    QPushButton* ButtonCallAnswer;
    QPushButton* ButtonCallHangup;
    QPushButton* ButtonCallTransfer;
    QPushButton* ButtonCallHold;
    QPushButton* ButtonCallUnhold;
    QPushButton* ButtonCallPark;
    QLineEdit* EditCallParkPhoneNumber;
    QPushButton* ButtonCallUnpark;
    QLineEdit* EditCallUnparkPhoneNumber;
    QPushButton* ButtonCallPickup;
    QLineEdit* EditCallPickupPhoneNumber;
    QLineEdit* EditCallPickupGroupID;
    QPushButton* ButtonCallRedirect;
    QLineEdit* EditCallRedirectPhoneNumber;
    QCheckBox* CheckBoxCallMonitorSilence;
    QLineEdit* EditMonitorSilenceDuration;
    QPushButton* ButtonCallHandoff;
    QLineEdit* EditHandoffApp;
    QPushButton* ButtonCallSendTone;
    QComboBox* ComboBoxSendTone;
    QLineEdit* EditSendToneDuration;

    // CallerID
    TnvCallerIDPanel* callerID;

    // Digits
    QGroupBox* GroupBoxGatherDigits;
    QCheckBox* CheckBoxCGDActive;
    QLineEdit* EditCGDCount;
    QLineEdit* EditCGDTimeOut;
    QLineEdit* EditCGDTerminate;
    QLineEdit* EditCDGOnDigitsGathered;
    QPushButton* ButtonSendDigits;
    QLineEdit* EditSendDigits;
    QLineEdit* EditSendDigitsDuration;
    QGroupBox* GroupBoxMonitorDigits;
    QCheckBox* CheckBoxCallMonitorDigitsActive;
    QLineEdit* EditCDGOnDigitReceived;

    // Parameters and Properties
    TnvCallParametersBox* parameters;
    QTreeWidget* TreeViewCallDetails;

private:
    QWidget* makeGroup();
    QWidget* makeControlPage();
    QWidget* makeDigitsPage();
    void fillCallList();
    void refreshGroup();
    void refreshTree();

    TnvLine* m_line;
    TnvDeferredArea* m_tree = nullptr;
    TnvDeferredArea* m_group = nullptr;
    TnvLineVantageArt::Picture m_shown = TnvLineVantageArt::OnGray;
};
