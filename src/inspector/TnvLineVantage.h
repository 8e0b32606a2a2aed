#pragma once

// The inspector window of a line control: the device group over a page control with
// the Log, Call, Transfer, Conference, Address, Terminal and Misc. pages. The control
// pushes every change through the refresh operations below while the window exists;
// a refresh only reads the control and writes its own widgets with their signals
// blocked, so it never calls back into the control.

#include "TnvLineVantageArt.h"
#include "TnvVantageForm.h"

#include <TnvLineView.h>

class QTimer;
class QToolButton;
class TnvLine;
class TnvLineAddressPage;
class TnvLineCallPage;
class TnvLineInfoPage;
class TnvLineJoinPage;
class TnvLineMenus;
class TnvLineTerminalPage;

class TnvLineVantage : public TnvVantageForm, public TnvLineView {
    Q_OBJECT

public:
    enum Page { PageLog, PageCall, PageTransfer, PageConference, PageAddress, PageTerminal, PageInfo };

    explicit TnvLineVantage(TnvLine* line);

    void fillPanes() override;
    void refreshInfo() override { RefreshInfo(); }

    // The refresh operations the line control calls.
    void RefreshEnabled() override;
    void RefreshDevice() override;
    void RefreshCall() override;
    void RefreshTransfer(int handle) override;
    void RefreshConference(int handle) override;
    void ShowTransferPhoneNumber() override;
    void ShowConferencePhoneNumber() override;
    void RefreshCallerID() override;
    void RefreshParameters() override;
    void RefreshDigits() override;
    void ShowDigitsGathered(const QString& digits) override;
    void ShowDigitReceived(const QString& digits) override;
    void RefreshCallControl() override;
    void RefreshInfo() override;
    void RefreshAddress() override;
    void RefreshTerminal() override;
    void ShowError() override;

    // Brings every tree left stale while hidden up to date now.
    void flushTrees();

    // Device > Active and its button: inverts Device.Active and shows the result.
    void toggleDeviceActive();

    QMenuBar* nvLineMainMenu;
    QToolButton* SpeedButtonDeviceActive;
    TnvLineCallPage* callPage;
    TnvLineJoinPage* transferPage;
    TnvLineJoinPage* conferencePage;
    TnvLineAddressPage* addressPage;
    TnvLineTerminalPage* terminalPage;
    TnvLineInfoPage* infoPage;
    // The menus besides Vantage, built once the pages they act through exist.
    TnvLineMenus* menus;

protected:
    void applyDevEnv() override;
    void detach() override;

private:
    void applyNotationToHints();
    // Holds painting back until the next frame; see the .cpp.
    void deferPainting();

    TnvLine* m_line;
    QTimer* m_paintTimer;
};
