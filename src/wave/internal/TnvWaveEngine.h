#pragma once

// What the play and record engines share: the way back to their control's log, pop-up
// settings, error and source, and to the window that shows the control.

#include <QObject>
#include <QString>

class TnvLog;
class TnvVantage;
class TnvVantageWindow;
class TnvWaveDevice;
class TnvWaveControl;
class TnvWaveFormat;
class TnvWaveSource;

class TnvWaveEngine : public QObject {
    Q_OBJECT

public:
    explicit TnvWaveEngine(TnvWaveControl* control);
    ~TnvWaveEngine() override;

    TnvLog* Log() const;
    TnvVantage* Vantage() const;
    TnvWaveSource* Source() const;
    TnvWaveFormat* Format() const;
    void write(bool stamped, const QString& text);
    bool ReportResult(bool warning, qint32 code);
    void clearError();

protected:
    enum class Direction { Out, In };

    // Device.List, Device.ID and Device.Name from the devices of the moment.
    void fillDeviceList(TnvWaveDevice* device, Direction direction);
    // Device.ID := value with its log lines; the record control counts the devices anew
    // each time (recount), the play control keeps the count of its list.
    void selectDevice(TnvWaveDevice* device, Direction direction, int value, bool recount);

    // The control's open inspector window, when it shows this kind of control.
    template <class View>
    View* windowAs() const
    {
        return dynamic_cast<View*>(window());
    }

private:
    TnvVantageWindow* window() const;

    TnvWaveControl* m_control;
};
