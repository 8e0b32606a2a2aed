#pragma once

// The inspector window of a phone control: the device group over a page control with
// the Log, Handset, Headset, Speakerphone and Misc. pages. The control pushes every
// change through the refresh operations below while the window exists; a refresh only
// reads the control and writes its own widgets with their signals blocked, so it never
// calls back into the control.

#include "TnvVantageForm.h"

#include <TnvPhoneView.h>

class QToolButton;
class TnvHookSwitchPage;
class TnvPhone;
class TnvPhoneInfoPage;
class TnvPhoneMenus;

class TnvPhoneVantage : public TnvVantageForm, public TnvPhoneView {
    Q_OBJECT

public:
    enum Page { PageLog, PageHandset, PageHeadset, PageSpeakerphone, PageInfo };

    explicit TnvPhoneVantage(TnvPhone* phone);

    void fillPanes() override;
    void refreshInfo() override { RefreshInfo(); }

    // The refresh operations the phone control calls.
    void RefreshDeviceButton() override;
    void RefreshDevice() override;
    void RefreshHandset() override;
    void RefreshHeadset() override;
    void RefreshSpeakerphone() override;
    void RefreshHookSwitches() override;
    void RefreshInfo() override;
    void ShowError() override;

    // Device > Active and its button: inverts Device.Active and shows the result.
    void toggleDeviceActive();

    TnvHookSwitchPage* hookSwitchPage(Page page) const;

    QMenuBar* MainMenu1;
    QToolButton* SpeedButtonDeviceActive;
    TnvHookSwitchPage* handsetPage;
    TnvHookSwitchPage* headsetPage;
    TnvHookSwitchPage* speakerphonePage;
    TnvPhoneInfoPage* infoPage;
    TnvPhoneMenus* menus;

protected:
    void applyDevEnv() override;
    void detach() override;

private:
    void refreshPage(Page page);
    void applyNotationToHints();

    TnvPhone* m_phone;
};
