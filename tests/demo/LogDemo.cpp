// Shows a line control's trace log in its inspector window while a scripted call runs
// through it, switching notation each round.

#include <TnvConstantTexts.h>
#include <TnvInspector.h>
#include <TnvResultTexts.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <TapiConstants.h>

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

namespace {

class DemoLine : public TnvSharedControl {
public:
    DemoLine() { SetKind(ckLine, QStringLiteral("nvLine")); }

protected:
    QString resultText(qint32 code) const override { return LineErrorText(code); }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Linkora trace log"));
    TnvInspector::setUp();

    DemoLine line;
    // Without a screen the trace goes to the terminal and the demonstration ends by itself.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    if (headless) {
        line.OnLog = [](TnvSharedControl*, const QString& text) {
            std::fputs(text.toLocal8Bit().constData(), stdout);
            std::fputc('\n', stdout);
        };
    }
    line.Log()->setCount(200);
    line.Vantage()->setVisible(true);
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);

    int step = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        TnvLog* log = line.Log();
        TnvVantage* vantage = line.Vantage();
        const quint32 handle = 0x10001 + step / 8;
        const QString h = vantage->HexText(handle).mid(1, 8);
        switch (step++ % 8) {
        case 0:
            vantage->setDevEnv(static_cast<TDevEnv>((step / 8) % 4));
            log->Add(true, QStringLiteral("nvLine~Device.Active := True"));
            break;
        case 1:
            log->Add(true, QStringLiteral("Call.Dial [%1]").arg(h));
            log->Add(false, QStringLiteral("\tCall.PhoneNumber = '5550100'"));
            break;
        case 2: log->Add(true, QStringLiteral("OnCallBegin [%1]").arg(h)); break;
        case 3:
            log->Add(true, QStringLiteral("OnCallState [%1]").arg(h));
            log->Add(false, QStringLiteral("\tCall.State = %1 [%2]")
                                .arg(CallStateText(LINECALLSTATE_RINGBACK), vantage->HexText(LINECALLSTATE_RINGBACK).mid(1, 8)));
            break;
        case 4:
            vantage->LogFlags(QStringLiteral("\tAddress.Capabilities.CallStates"), 0x4109, CallStateText,
                              LINECALLSTATE_UNKNOWN, LINECALLSTATE_IDLE);
            break;
        case 5: line.ReportResult(false, static_cast<qint32>(LINEERR_INVALCALLHANDLE)); break;
        case 6: log->Add(true, QStringLiteral("MARKER")); break;
        case 7: line.LogProperties(QStringLiteral("Current nvLine property values:"), QString(), QString()); break;
        }
    });
    timer.start(headless ? 50 : 700);
    if (headless)
        QTimer::singleShot(50 * 8 * 4 + 25, &app, &QApplication::quit);
    return app.exec();
}
