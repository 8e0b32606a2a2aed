#pragma once

// What the record control pushes into its inspector window after a change. The window
// implements it next to TnvVantageWindow; every refresh is optional, and with no window
// nothing runs. The Log page and the error indicator are refreshed through
// TnvVantageWindow itself.

class TnvRecordView {
public:
    virtual ~TnvRecordView() = default;

    // Device group caption and device list with its selection, then RefreshDeviceMenu.
    virtual void RefreshDevice() {}
    // Active and Pause marks, the Buffer, Delay and Trim edits, then RefreshButtons.
    virtual void RefreshDeviceMenu() {}
    virtual void RefreshButtons() {}
    // The Source.Buffer page.
    virtual void RefreshBuffer() {}
    // The whole format page, then RefreshFormatSize.
    virtual void RefreshFormat() {}
    // Bytes and seconds: also the progress of a running recording.
    virtual void RefreshFormatSize() {}
    virtual void RefreshSourceFile() {}
    virtual void RefreshMaxSize() {}
};
