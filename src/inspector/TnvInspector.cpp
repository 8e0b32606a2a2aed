#include "TnvInspector.h"

#include "TnvBasicVantage.h"
#include "TnvQtHostServices.h"

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
    for (int kind : {ckLine, ckPhone, ckPlay, ckRecord}) {
        TnvVantage::registerWindowFactory(kind, [](TnvVantage& vantage) -> TnvVantageWindow* {
            return new TnvBasicVantage(vantage.owner());
        });
    }
}
