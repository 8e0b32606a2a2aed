#include "TnvPhoneVantageArt.h"

#include <array>

// At global scope: the resource initialiser is declared where this is called.
static void loadPhoneResources()
{
    // The resources live in a static library; make sure they are registered.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(inspector);
        return true;
    }();
    Q_UNUSED(loaded);
}

const QIcon& TnvPhoneVantageArt::tabIcon(int index)
{
    static const std::array<QIcon, TabIconCount> icons = [] {
        loadPhoneResources();
        std::array<QIcon, TabIconCount> made;
        const char* files[TabIconCount] = {"tab-warning-grey",  "tab-warning-red",    "tab-phone-yellow", "tab-phone-grey",
                                           "tab-phone-green",   "tab-headset-yellow", "tab-headset-grey", "tab-headset-green",
                                           "tab-speaker-yellow", "tab-speaker-grey",  "tab-speaker-green"};
        for (int i = 0; i < TabIconCount; ++i)
            made[std::size_t(i)] = QIcon(QStringLiteral(":/inspector/%1.svg").arg(QLatin1String(files[i])));
        return made;
    }();
    static const QIcon none;
    return index >= 0 && index < TabIconCount ? icons[std::size_t(index)] : none;
}
