#pragma once

// What the phone control pushes into its inspector window after a change. The phone
// inspector implements it next to TnvVantageWindow; every refresh is optional, and with
// no window nothing runs. The Log page and the error indicator are refreshed through
// TnvVantageWindow itself (refreshLogView, refreshErrorDisplay, refreshInfo).

class TnvPhoneView {
public:
    virtual ~TnvPhoneView() = default;

    // The device button's down state from Device.Active.
    virtual void RefreshDeviceButton() {}
    // The device group's caption and the device list with its selection.
    virtual void RefreshDevice() {}
    // The page of one hook-switch device.
    virtual void RefreshHandset() {}
    virtual void RefreshHeadset() {}
    virtual void RefreshSpeakerphone() {}
    // The three hook-switch pages, then the information page.
    virtual void RefreshHookSwitches() {}
    // The Misc. edits and the information tree.
    virtual void RefreshInfo() {}
};
