#pragma once

// The dialer's behaviour without its window: owns the line control nvLine1, built from
// the stored description, binds its events and runs the window's handlers, writing the
// log-box lines to a view. The window and the command-line dialer share it, so their
// lines are the same.

#include "TnvDialerDescription.h"

#include <QString>

#include <functional>
#include <memory>

class TnvDialerView;
class TnvLine;

class TnvDialer {
public:
    explicit TnvDialer(TnvDialerView* view);
    ~TnvDialer();
    TnvDialer(const TnvDialer&) = delete;
    TnvDialer& operator=(const TnvDialer&) = delete;

    TnvLine* line() const { return m_line.get(); }

    // Creates nvLine1 from the description and binds its events; prepare runs on the new
    // control before the settings are applied. Returns the paths of refused settings.
    QStringList createLine(const TnvDialerDescription::Settings& settings = TnvDialerDescription::settings(),
                           const std::function<void(TnvLine&)>& prepare = {});

    // The window's creation steps for the control: Enabled, the idle delay (2000 in the
    // window). The device list and phone number are then read from the control.
    void FormCreate(int idleDelay = 2000);

    // The window's handlers.
    void CheckBoxActiveClick(bool checked);
    void ComboBoxDeviceChange(int index);
    // Returns what Call.Dial returned.
    bool ButtonDialClick(const QString& phoneNumber);
    void ButtonHangupClick();
    void ButtonLineConfigClick();
    void ButtonVantageClick();
    // Window closing: the device and the inspector window are closed before the
    // program ends.
    void FormClose();

    // The data-modem message shown when the device is reopened without a call privilege,
    // and its caption.
    static QString limitedFunctionalityText(const QString& deviceName);
    static QString limitedFunctionalityCaption();

private:
    void bindEvents();
    // Brings the check box, the call buttons and the list in step with the device after
    // it was opened, closed or switched by someone else (the inspector window).
    void followDevice();
    // An event about another call than the selected one selects that call first: its
    // log lines then name its own parties, and the hang-up that follows a far end's
    // hang-up ends that call, not the one in progress.
    void selectCall(int handle);
    // Appends text as log-box lines; "\r\n" and "\n" both break lines.
    void append(const QString& text);
    void switchOnDigitMonitoring();
    void setDigitMonitoring();
    bool providerIsModem() const;

    TnvDialerView* m_view;
    std::unique_ptr<TnvLine> m_line;
};
