#pragma once

// The conference object of the line control.
// FIXME: transfer operations and state arrive with transfer and conference support; for
// now it carries its call parameters.

#include <QObject>

class TnvCallParameters;
class TnvLineInternal;

class TnvConference : public QObject {
    Q_OBJECT
    Q_PROPERTY(TnvCallParameters* Parameters READ Parameters CONSTANT)

public:
    TnvConference(TnvLineInternal* line, QObject* parent);

    TnvCallParameters* Parameters() const { return m_parameters; }
    void Reset() {}

private:
    TnvCallParameters* m_parameters;
};
