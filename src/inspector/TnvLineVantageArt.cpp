#include "TnvLineVantageArt.h"

#include <TapiConstants.h>

#include <array>

// At global scope: the resource initialiser is declared where this is called.
static void loadResources()
{
    // The resources live in a static library; make sure they are registered.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(inspector);
        return true;
    }();
    Q_UNUSED(loaded);
}

const QIcon& TnvLineVantageArt::tabIcon(int index)
{
    static const std::array<QIcon, TabIconCount> icons = [] {
        loadResources();
        std::array<QIcon, TabIconCount> made;
        const char* files[TabIconCount] = {"tab-warning-grey", "tab-warning-red", "tab-lamp-green", "tab-lamp-green-ring",
                                           "tab-ring-grey", "tab-phone-grey", "tab-phone-green"};
        for (int i = 0; i < TabIconCount; ++i)
            made[std::size_t(i)] = QIcon(QStringLiteral(":/inspector/%1.svg").arg(QLatin1String(files[i])));
        return made;
    }();
    static const QIcon none;
    return index >= 0 && index < TabIconCount ? icons[std::size_t(index)] : none;
}

const QPixmap& TnvLineVantageArt::picture(Picture picture)
{
    static const std::array<QPixmap, PictureCount> pictures = [] {
        loadResources();
        std::array<QPixmap, PictureCount> made;
        const char* files[PictureCount] = {"call-on-grey", "call-off-red", "call-off-green", "call-off-yellow", "call-on-red"};
        for (int i = 0; i < PictureCount; ++i)
            made[std::size_t(i)] = QIcon(QStringLiteral(":/inspector/%1.svg").arg(QLatin1String(files[i]))).pixmap(16, 16);
        return made;
    }();
    return pictures[std::size_t(picture)];
}

QString TnvLineVantageArt::pictureName(Picture picture)
{
    switch (picture) {
    case OnGray: return QStringLiteral("ImageCallStatusOnGray");
    case OffRed: return QStringLiteral("ImageCallStatusOffRed");
    case OffGreen: return QStringLiteral("ImageCallStatusOffGreen");
    case OffYellow: return QStringLiteral("ImageCallStatusOffYellow");
    case OnRed: return QStringLiteral("ImageCallStatusOnRed");
    case PictureCount: break;
    }
    return {};
}

TnvLineVantageArt::Picture TnvLineVantageArt::pictureFor(quint32 state, bool proceedingGrey)
{
    switch (state) {
    case LINECALLSTATE_PROCEEDING:
        return proceedingGrey ? OnGray : OffRed;
    case LINECALLSTATE_OFFERING:
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
    case LINECALLSTATE_RINGBACK:
    case LINECALLSTATE_BUSY:
    case LINECALLSTATE_SPECIALINFO:
        return OffRed;
    case LINECALLSTATE_CONNECTED:
        return OffGreen;
    case LINECALLSTATE_ONHOLD:
    case LINECALLSTATE_CONFERENCED:
    case LINECALLSTATE_ONHOLDPENDCONF:
    case LINECALLSTATE_ONHOLDPENDTRANSFER:
        return OffYellow;
    case LINECALLSTATE_DISCONNECTED:
        return OnRed;
    default:
        return OnGray;
    }
}
