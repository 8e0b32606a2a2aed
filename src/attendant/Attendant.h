#pragma once

// The answering service: one AttendantLine for each chosen line (every voice line by
// default), the greeting they share (a short built-in tone when none is given), the
// count of calls taken, and the way out: stop() takes no more calls and lets those in
// progress end and be saved; a second stop() ends their recordings at once.

#include "AttendantOptions.h"
#include "AttendantStore.h"

#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

class AttendantLine;

class Attendant : public QObject {
    Q_OBJECT

public:
    explicit Attendant(const AttendantOptions& options, QObject* parent = nullptr);
    ~Attendant() override;

    // Opens the lines; false with error set when the service cannot answer any.
    bool start(QString* error);
    void stop();
    // Every line has closed.
    bool finished() const;
    int callsTaken() const { return m_callsTaken; }
    // The lines answered, by their numbers.
    QList<int> lines() const;

    // Each finished call; then, once every line has closed, onFinished.
    std::function<void(const AttendantCall&)> onCallDone;
    std::function<void()> onFinished;
    std::function<void(const QString&)> onLog;

    // The voice lines of the machine, numbered from 1; empty with error set when the
    // telephony service does not start.
    static QList<int> voiceLines(QString* error);
    // The built-in greeting: a short tone as an 8 kHz 16-bit mono WAVE file.
    static QByteArray toneFile();

private:
    void lineClosed();
    void log(const QString& text);

    AttendantOptions m_options;
    AttendantStore m_store;
    QTemporaryDir m_scratch;
    std::vector<std::unique_ptr<AttendantLine>> m_lines;
    int m_callsTaken = 0;
    int m_stops = 0;
    bool m_finishReported = false;
};
