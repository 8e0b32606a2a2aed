#pragma once

// The commands of linkora-phone: one line of words in, the phone control acts, and the
// control's trace and events come out as text lines. Kept apart from the program so the
// words can be tried without a terminal.

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <functional>

class TnvHookSwitchDevice;
class TnvPhone;

class PhoneConsole : public QObject {
    Q_OBJECT

public:
    // Every line of output goes to print.
    PhoneConsole(TnvPhone* phone, std::function<void(const QString&)> print, QObject* parent = nullptr);
    // Takes its handlers back: the phone may outlive the console and still write.
    ~PhoneConsole() override;

    // Runs one command line; false once the user asked to quit.
    bool run(const QString& line);
    // Runs every complete line in bytes read from standard input, keeping a line cut
    // short for the next read; at the end of the input the unterminated rest runs too.
    // False once the user asked to quit.
    bool runInput(const QByteArray& bytes, bool atEnd = false);

    // A longer line is refused rather than kept without bound.
    static constexpr qsizetype maxLineBytes = 64 * 1024;

    static QString helpText();

private:
    TnvHookSwitchDevice* hookSwitchDevice(const QString& word) const;
    void say(const QString& text) { m_print(text); }

    TnvPhone* m_phone;
    std::function<void(const QString&)> m_print;
    QByteArray m_input;
    // Bytes of a line too long to run are dropped up to its end.
    bool m_skipping = false;
};
