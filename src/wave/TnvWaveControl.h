#pragma once

// Base of the wave play and wave record controls: the shared control base with the
// wave result texts, the Source object (file name, size limit, format and buffer) and
// the OnWarning event of the size limit. What differs between playing and recording
// (validating the file name, whether the device is running, the pop-up settings) is
// decided by the concrete control through the virtual functions below.

#include "TnvWaveSource.h"

#include <TnvSharedControl.h>

#include <functional>

// OnWarning(Sender, var Continue): the handler may clear Continue to cancel.
using TNV_WarningEvent = std::function<void(TnvSharedControl* sender, bool& Continue)>;

class TnvWaveControl : public TnvSharedControl {
    Q_OBJECT
    Q_PROPERTY(TnvWaveSource* Source READ Source CONSTANT)

public:
    // logFormat: assignments to Source.Format write log lines (the record control).
    explicit TnvWaveControl(int kind, QObject* owner = nullptr, bool logFormat = false);

    TnvWaveSource* Source() const { return m_source; }

    TNV_WarningEvent OnWarning;

    // True while the device plays or records; the buffer refuses changes then.
    virtual bool deviceActive() const { return false; }

    // Source.FileName := name and Source.MaxSize := size; by default only stored, with
    // Valid meaning a name is given.
    virtual void assignSourceFileName(const QString& name);
    virtual void assignSourceMaxSize(qint32 kilobytes);
    // The buffer stopped being the source: the file name counts again.
    virtual void revalidateSource();
    // The source changed: an open inspector window shows it anew.
    virtual void refreshSource();

    // Asks whether a load may go past Source.MaxSize: OnWarning when assigned, else the
    // warning pop-up; without either the answer is no. asWarning reports the limit as a
    // warning even to the handler (playing and recording do; a buffer load does not).
    bool allowOverSize(bool asWarning = false);

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent) override;

protected:
    QString resultText(qint32 code) const override;

private:
    TnvWaveSource* m_source;
};
