#pragma once

// What the play control pushes into its inspector window after a change. The window
// implements it next to TnvVantageWindow; every refresh is optional, and with no window
// nothing runs. The Log page and the error indicator are refreshed through
// TnvVantageWindow itself.

class TnvPlayView {
public:
    virtual ~TnvPlayView() = default;

    // Device group caption and device list with its selection, then RefreshDeviceMenu.
    virtual void RefreshDevice() {}
    // Active, Pause, Wait and Loop marks and the delay, then RefreshButtons.
    virtual void RefreshDeviceMenu() {}
    // The Active, Inactive and Pause buttons.
    virtual void RefreshButtons() {}
    virtual void RefreshVolume() {}
    // Byte, second and percent; not refreshed continuously while playing.
    virtual void RefreshPosition() {}
    // File name and Valid.
    virtual void RefreshSourceFile() {}
    virtual void RefreshMaxSize() {}
    virtual void RefreshFormat() {}
    // The Source.Buffer page.
    virtual void RefreshBuffer() {}
    virtual void RefreshTimerEnabled() {}
    virtual void RefreshTimerInterval() {}
};
