#pragma once

// The call audio words of ringfast's scripts: play FILE into the current call and record
// FILE from it, through the wave play and record controls on the line's related wave
// devices. Each step holds the script until it is over (played, recorded, or the call
// ended); the controls' events print like the line's.

#include <QString>
#include <QStringList>

class RingfastEvents;
class TnvLine;

class RingfastCallAudio {
public:
    RingfastCallAudio(TnvLine& line, RingfastEvents& events);

    // play FILE: until the file is played or the call ends.
    bool play(const QStringList& arguments, QString* error);
    // record FILE [--seconds S] [--until-digit D]: until the call ends, S seconds passed
    // or the caller pressed D. A recording the file cannot take goes to the recovery
    // folder, and the step fails saying where.
    bool record(const QStringList& arguments, QString* error);

    // Longest recording a script may ask for, in seconds.
    static constexpr int kMaxSeconds = 3600;

private:
    // The current call is connected and the line has the wave device (ID set), else error.
    bool deviceOfCall(bool output, int* id, QString* error) const;
    bool callConnected() const;

    TnvLine& m_line;
    RingfastEvents& m_events;
};
