#pragma once

// A concrete control for exercising the shared base: its kind, its result texts and its
// popup settings are whatever the test says.

#include "EventLoop.h"

#include <TnvSharedControl.h>

#include <functional>

class TestControl : public TnvSharedControl {
public:
    explicit TestControl(int kind = ckLine, QObject* owner = nullptr)
        : TnvSharedControl(owner)
    {
        SetKind(kind, KindText(kind));
    }

    std::function<QString(qint32)> texts;
    bool popupError = false;
    bool popupWarning = false;

    bool popupOnError() const override { return popupError; }
    bool popupOnWarning() const override { return popupWarning; }

protected:
    QString resultText(qint32 code) const override
    {
        return texts ? texts(code) : TnvSharedControl::resultText(code);
    }
};

