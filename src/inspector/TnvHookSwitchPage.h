#pragma once

// One hook-switch page of the phone inspector (handset, headset or speakerphone): the
// device's property tree beside its four mode buttons, its volume and gain bars and the
// Apply button. The page writes its widgets quietly from the device and changes the
// device only through its setters; after each change the window refreshes all pages.

#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSlider;
class QSplitter;
class QTreeWidget;
class TnvHookSwitchDevice;
class TnvVantage;

class TnvHookSwitchPage : public QWidget {
    Q_OBJECT

public:
    // afterChange runs once the page changed the device (the window's RefreshHookSwitches).
    TnvHookSwitchPage(TnvHookSwitchDevice* device, TnvVantage* vantage, std::function<void()> afterChange,
                      QWidget* parent = nullptr);

    // Buttons, bars and tree from the device.
    void refresh();
    // The page's tab icon: grey when the device is missing, else on or off hook. A phone
    // that is not open reports no hook state, so its devices show on hook.
    int tabIconIndex(bool phoneOpen) const;
    // Hints in the log's notation.
    void applyNotation();
    // Forgets the device, whose window is going: a late focus change acts on nothing.
    void detach() { m_device = nullptr; }

    // What leaving a bar and pressing Apply do.
    void volumeLeft();
    void gainLeft();
    void apply();

    QWidget* Panel;
    QTreeWidget* TreeView;
    QSplitter* Splitter;
    QScrollArea* ScrollBox;
    // OnHook, MicrophoneOnly, SpeakerOnly, MicrophoneAndSpeaker.
    std::array<QRadioButton*, 4> RBModes{};
    QLabel* LabelVolume;
    QSlider* TBVolume;
    QLabel* LabelGain;
    QSlider* TBGain;
    QPushButton* ButtonVolumeGainSet;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void modeClicked(int mode);
    void refreshTree();
    QString applyHint() const;

    TnvHookSwitchDevice* m_device;
    TnvVantage* m_vantage;
    std::function<void()> m_afterChange;
};
