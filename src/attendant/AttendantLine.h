#pragma once

// One line of the answering service: it answers each offered call, plays the greeting
// (or the menu file of a digit pressed during it, or transfers the caller to the
// operator on 0), records the caller until they hang up, press # or the time is up, and
// hands the finished call to the store. Calls offered while one is in progress wait
// their turn; the line takes one at a time, as it has one wave device each way.
//
// Everything runs on the event loop, driven by the line's and the wave controls' events,
// so many lines answer at once.
//
// FIXME: a line the service closes under the attendant (LINE_CLOSE) reports no event the
// attendant follows; it stays counted as open, and takes no calls, until the program ends.

#include "AttendantCall.h"

#include <QMap>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class AttendantStore;
class TnvLine;
class TnvPlay;
class TnvRecord;

struct AttendantLineSettings {
    QString greeting;
    QMap<QChar, QString> menu;
    QString operatorNumber;
    int maxSeconds = 120;
};

class AttendantLine : public QObject {
    Q_OBJECT

public:
    // number: the line as the exchange counts it (device ID + 1).
    AttendantLine(int number, const AttendantLineSettings& settings, const AttendantStore& store,
                  QObject* parent = nullptr);
    ~AttendantLine() override;

    int number() const { return m_number; }
    // Opens the line; false with error set when it cannot answer calls with audio.
    bool open(QString* error);
    // No new calls; the call in progress goes on to its end. Closed once idle.
    void stopTaking();
    // The recording in progress ends now and is saved; a greeting ends the call.
    void cutShort();
    bool closed() const { return m_closed; }
    bool busy() const { return m_phase != Phase::Idle; }

    // After each call, once its line is in calls.jsonl.
    std::function<void(const AttendantCall&)> onCallDone;
    // When the line has closed after stopTaking.
    std::function<void()> onClosed;
    // What a person watching the service wants to know.
    std::function<void(const QString&)> onLog;

private:
    enum class Phase { Idle, Answering, Greeting, Recording, Ending };

    void offered(int handle);
    void take(int handle);
    void connected(int handle);
    void digit(int handle, QChar digit);
    void farEndGone(int handle);
    void callEnded(int handle);
    // Plays file into the call; false when it cannot start.
    bool play(const QString& file);
    void stopPlaying();
    void greetingDone();
    void startRecording();
    void stopRecording();
    void transfer();
    // Hangs the call up if it is still there; finishes once it has ended.
    void endCall();
    void finishCall();
    void closeIfIdle();
    bool selectCall();
    void readCaller();
    void log(const QString& text);

    int m_number;
    AttendantLineSettings m_settings;
    const AttendantStore& m_store;
    std::unique_ptr<TnvLine> m_line;
    // Controls of the call in progress; those done with go once their events are over.
    std::unique_ptr<TnvPlay> m_play;
    std::unique_ptr<TnvRecord> m_record;
    std::vector<std::unique_ptr<QObject>> m_retired;
    Phase m_phase = Phase::Idle;
    int m_handle = 0;
    bool m_callGone = false;
    AttendantCall m_call;
    std::deque<int> m_waiting;
    QTimer m_limit;
    QTimer m_endGuard;
    bool m_taking = true;
    bool m_closed = false;
};
