#pragma once

// The phone inspector's tab icons, drawn as SVG resources and rendered once per process:
// the warning triangles of the Log tab and, for each hook-switch device, a grey picture
// (not available), a yellow one (on hook) and a green one (off hook).

#include <QIcon>

class TnvPhoneVantageArt {
public:
    enum TabIcon {
        WarningGrey,
        WarningRed,
        HandsetOnHook,
        HandsetMissing,
        HandsetOffHook,
        HeadsetOnHook,
        HeadsetMissing,
        HeadsetOffHook,
        SpeakerOnHook,
        SpeakerMissing,
        SpeakerOffHook,
        TabIconCount
    };

    // An empty icon outside the range.
    static const QIcon& tabIcon(int index);
};
