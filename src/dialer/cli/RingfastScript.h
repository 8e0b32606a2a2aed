#pragma once

// One line of a ringfast script run on a line control. A dotted name reaches whatever
// the control publishes: a property is read by its name alone ("Call.State") and
// assigned by a value after it ("Device.ID 1"), an operation is called with its
// arguments ("Call.Dial", "Transfer.Dial 5550102"). Besides them the script words wait,
// sleep, sim, echo, help, and play and record for the current call's audio. Words are separated by blanks; double quotes keep blanks
// in one word, # starts a comment, and a value "@Name" is the value of property Name.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>

class RingfastCallAudio;
class RingfastEvents;
class TnvLine;

class RingfastScript {
public:
    RingfastScript(TnvLine& line, RingfastEvents& events, QTextStream& out);
    ~RingfastScript();

    // The words of a line; nothing, with error set, when a quote is left open.
    static std::optional<QStringList> words(const QString& line, QString* error);

    // Runs one line; false, with error set, when the step failed.
    bool execute(const QString& line, QString* error);

    // Whether the last line asked to end the session (quit, exit).
    bool quitRequested() const { return m_quit; }

    // What may follow the text typed so far in the line's first word: dotted names of
    // the control and the script words; after "wait", the event names.
    QStringList completions(const QString& lineBefore, const QString& partial) const;

    // Longest wait or sleep a script may ask for.
    static constexpr int kMaxWaitMs = 3600000;
    static constexpr int kDefaultWaitMs = 10000;

private:
    bool runWord(const QStringList& words, QString* error);
    // A word "@Call.Handle" becomes that property's value, so one step can hand on what
    // an earlier one brought about.
    bool resolveReference(QString& word, QString* error) const;
    bool runName(const QStringList& words, QString* error);
    bool readProperty(const QObject* object, const QString& path, const QString& name, QString* error);
    bool writeProperty(QObject* object, const QString& path, const QString& name, const QString& value,
                       QString* error);
    bool invoke(QObject* object, const QString& path, const QString& name, const QStringList& arguments,
                QString* error);
    bool sim(const QStringList& arguments, QString* error);
    void printValue(const QString& path, const QVariant& value);
    void printObject(const QObject* object, const QString& path);
    // The object that owns the last segment of path, or null with error set.
    QObject* owner(const QString& path, QString* last, QString* error) const;
    bool failedWithError(const QString& what, QString* error) const;

    TnvLine& m_line;
    RingfastEvents& m_events;
    QTextStream& m_out;
    std::unique_ptr<RingfastCallAudio> m_audio;
    bool m_quit = false;
};
