// Opens the first line of the simulated exchange through the installed line control and
// says how many devices it found. Every public header of the control is included, so a
// header that leans on one that was not installed fails the build.
#include <ServiceControl.h>
#include <TnvAddress.h>
#include <TnvAddressCaps.h>
#include <TnvAddressForward.h>
#include <TnvCall.h>
#include <TnvCallDetection.h>
#include <TnvCallParameters.h>
#include <TnvCallerID.h>
#include <TnvConference.h>
#include <TnvGatherDigits.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLineDeviceCaps.h>
#include <TnvLineEvents.h>
#include <TnvLineLine.h>
#include <TnvLineView.h>
#include <TnvMediaModes.h>
#include <TnvMonitorDigits.h>
#include <TnvMonitorMediaModes.h>
#include <TnvMonitorSilence.h>
#include <TnvPopup.h>
#include <TnvPrivilege.h>
#include <TnvRelatedCommDevice.h>
#include <TnvRelatedPhoneDevice.h>
#include <TnvRelatedWaveDevice.h>
#include <TnvTerminal.h>
#include <TnvTransfer.h>

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    Telephony::ServiceOptions options;
    options.configPath = QString::fromLocal8Bit(argv[1]);
    options.controlServer = false;
    Telephony::setServiceOptions(options);

    TnvLine line;
    line.setEnabled(true);
    line.Device()->setActive(true);
    std::printf("devices %d active %d\n", line.Device()->Count(), int(line.Device()->Active()));
    return line.Device()->Count() > 0 && line.Device()->Active() ? 0 : 1;
}
