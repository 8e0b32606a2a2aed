#pragma once

// The line inspector's pictures: the seven tab icons and the five call-state pictures,
// drawn as SVG resources and rendered once per process, and which picture a call state
// shows.

#include <QIcon>
#include <QPixmap>

class TnvLineVantageArt {
public:
    // Tab icons by index: 0 grey warning, 1 red warning, 2 green lamp, 3 green lamp in a
    // dotted ring, 4 grey ring, 5 grey telephone on hook, 6 green telephone off hook.
    enum TabIcon { WarningGrey, WarningRed, Lamp, LampRing, RingGrey, PhoneGrey, PhoneGreen, TabIconCount };
    enum Picture { OnGray, OffRed, OffGreen, OffYellow, OnRed, PictureCount };

    static const QIcon& tabIcon(int index);
    static const QPixmap& picture(Picture picture);
    // The component name of a picture, as the call group holds it.
    static QString pictureName(Picture picture);
    // The picture for a call state. The transfer and conference rows show a call that
    // is proceeding in grey.
    static Picture pictureFor(quint32 state, bool proceedingGrey = false);
};
