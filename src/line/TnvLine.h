#pragma once

// The line control as applications and stored descriptions see it: TnvLineInternal's
// behaviour with its settings published by their dotted names.

#include "TnvAddress.h"
#include "TnvCall.h"
#include "TnvConference.h"
#include "TnvLineDevice.h"
#include "TnvLineInternal.h"
#include "TnvLineLine.h"
#include "TnvPopup.h"
#include "TnvPrivilege.h"
#include "TnvRelatedCommDevice.h"
#include "TnvRelatedPhoneDevice.h"
#include "TnvRelatedWaveDevice.h"
#include "TnvTerminal.h"
#include "TnvTransfer.h"

#include <TnvTAPI.h>

class TnvLine : public TnvLineInternal {
    Q_OBJECT
    Q_PROPERTY(TnvAddress* Address READ Address CONSTANT)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool EnabledControl READ Enabled WRITE setEnabled STORED false)
    Q_PROPERTY(TnvCall* Call READ Call CONSTANT)
    Q_PROPERTY(TnvRelatedCommDevice* Comm READ Comm CONSTANT)
    Q_PROPERTY(TnvConference* Conference READ Conference CONSTANT)
    Q_PROPERTY(TnvLineDevice* Device READ Device CONSTANT)
    Q_PROPERTY(TnvRelatedPhoneDevice* Phone READ Phone CONSTANT)
    Q_PROPERTY(TnvPrivilege* Privilege READ Privilege CONSTANT)
    Q_PROPERTY(TnvTAPI* TAPI READ TAPI CONSTANT)
    Q_PROPERTY(TnvTransfer* Transfer READ Transfer CONSTANT)
    Q_PROPERTY(TnvRelatedWaveDevice* WavePlay READ WavePlay CONSTANT)
    Q_PROPERTY(TnvRelatedWaveDevice* WaveRecord READ WaveRecord CONSTANT)
    Q_PROPERTY(TnvLineLine* Line READ Line CONSTANT STORED false)
    Q_PROPERTY(TnvTerminal* Terminal READ Terminal CONSTANT STORED false)
    Q_PROPERTY(TnvPopup* Popup READ Popup CONSTANT STORED false)

public:
    explicit TnvLine(QObject* owner = nullptr);
};
