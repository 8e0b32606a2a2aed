#pragma once

// The commands of linkora-phone: one line of words in, the phone control acts, and the
// control's trace and events come out as text lines. Kept apart from the program so the
// words can be tried without a terminal.

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

    static QString helpText();

private:
    TnvHookSwitchDevice* hookSwitchDevice(const QString& word) const;
    void say(const QString& text) { m_print(text); }

    TnvPhone* m_phone;
    std::function<void(const QString&)> m_print;
};
