#include "TnvInspector.h"

#include "TnvBasicVantage.h"
#include "TnvLineVantage.h"
#include "TnvPhoneVantage.h"
#include "TnvPlayVantage.h"
#include "TnvQtHostServices.h"
#include "TnvRecordVantage.h"

#include <TnvLine.h>
#include <TnvPhone.h>
#include <TnvPlay.h>
#include <TnvRecord.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <utility>

#include <QCoreApplication>

namespace {

TnvQtHostServices* g_services = nullptr;

// The printer must go before the application object does.
void tearDown()
{
    delete std::exchange(g_services, nullptr);
}

} // namespace

void TnvInspector::setUp()
{
    if (g_services)
        return;
    g_services = new TnvQtHostServices;
    TnvHostServices::install(g_services);
    qAddPostRoutine(tearDown);
    TnvVantage::registerWindowFactory(ckLine, [](TnvVantage& vantage) -> TnvVantageWindow* {
        // A line kind is always a line control; anything else gets the basic window.
        if (auto* line = qobject_cast<TnvLine*>(vantage.owner()))
            return new TnvLineVantage(line);
        return new TnvBasicVantage(vantage.owner());
    });
    TnvVantage::registerWindowFactory(ckPhone, [](TnvVantage& vantage) -> TnvVantageWindow* {
        if (auto* phone = qobject_cast<TnvPhone*>(vantage.owner()))
            return new TnvPhoneVantage(phone);
        return new TnvBasicVantage(vantage.owner());
    });
    TnvVantage::registerWindowFactory(ckPlay, [](TnvVantage& vantage) -> TnvVantageWindow* {
        if (auto* play = qobject_cast<TnvPlay*>(vantage.owner()))
            return new TnvPlayVantage(play);
        return new TnvBasicVantage(vantage.owner());
    });
    TnvVantage::registerWindowFactory(ckRecord, [](TnvVantage& vantage) -> TnvVantageWindow* {
        if (auto* record = qobject_cast<TnvRecord*>(vantage.owner()))
            return new TnvRecordVantage(record);
        return new TnvBasicVantage(vantage.owner());
    });
}
