#include "PhoneConsole.h"

#include <TnvPhone.h>

#include <TnvError.h>

#include <utility>

PhoneConsole::PhoneConsole(TnvPhone* phone, std::function<void(const QString&)> print, QObject* parent)
    : QObject(parent)
    , m_phone(phone)
    , m_print(std::move(print))
{
    const auto notify = [this](const char* name) {
        return [this, name](TnvSharedControl*) { say(QStringLiteral("event: ") + QLatin1String(name)); };
    };
    phone->OnPhoneState = notify("OnPhoneState");
    phone->OnHandsetHookSwitch = notify("OnHandsetHookSwitch");
    phone->OnHandsetVolume = notify("OnHandsetVolume");
    phone->OnHandsetGain = notify("OnHandsetGain");
    phone->OnSpeakerphoneHookSwitch = notify("OnSpeakerphoneHookSwitch");
    phone->OnSpeakerphoneVolume = notify("OnSpeakerphoneVolume");
    phone->OnSpeakerphoneGain = notify("OnSpeakerphoneGain");
    phone->OnHeadsetHookSwitch = notify("OnHeadsetHookSwitch");
    phone->OnHeadsetVolume = notify("OnHeadsetVolume");
    phone->OnHeadsetGain = notify("OnHeadsetGain");
    phone->OnDigitDown = [this](TnvSharedControl*, QChar digit) {
        say(QStringLiteral("event: OnDigitDown ") + digit);
    };
    phone->OnDigitUp = [this](TnvSharedControl*, QChar digit) { say(QStringLiteral("event: OnDigitUp ") + digit); };
    phone->OnDevSpecific = [this](TnvSharedControl*, int, int p1, int p2, int p3) {
        say(QStringLiteral("event: OnDevSpecific %1 %2 %3").arg(p1).arg(p2).arg(p3));
    };
    phone->OnError = [this](TnvSharedControl* sender) {
        say(QStringLiteral("event: OnError ") + sender->Error()->Text());
    };
    phone->OnLog = [this](TnvSharedControl*, const QString& line) { say(QStringLiteral("  | ") + line); };
}

PhoneConsole::~PhoneConsole()
{
    static_cast<TnvPhoneEventSet&>(*m_phone) = TnvPhoneEventSet{};
    m_phone->OnError = nullptr;
    m_phone->OnLog = nullptr;
}

QString PhoneConsole::helpText()
{
    return QStringLiteral(
        "Commands (DEVICE is handset, speaker or headset; handset when left out):\n"
        "  enable | disable           initialise the telephony service for phones, or shut it down\n"
        "  list                       the phone devices\n"
        "  select N                   select phone device N\n"
        "  open | close               open or close the selected phone\n"
        "  lift [DEVICE]              microphone and speaker on\n"
        "  hangup [DEVICE]            back on hook\n"
        "  mode DEVICE MODE           MODE: onhook, mic, speaker, micspeaker\n"
        "  volume DEVICE N            N from 0 to 100\n"
        "  gain DEVICE N              N from 0 to 100\n"
        "  status                     hook switches, volumes and gains\n"
        "  dump                       every property into the trace\n"
        "  help | quit\n");
}

bool PhoneConsole::runInput(const QByteArray& bytes, bool atEnd)
{
    // Several lines may come in one read; each runs in turn.
    m_input.append(bytes);
    if (atEnd && !m_input.isEmpty() && !m_input.endsWith('\n'))
        m_input.append('\n');
    const QString tooLong = QStringLiteral("line longer than %1 bytes ignored").arg(maxLineBytes);
    qsizetype start = 0;
    for (qsizetype end = m_input.indexOf('\n'); end >= 0; end = m_input.indexOf('\n', start)) {
        const QByteArray line = m_input.mid(start, end - start);
        start = end + 1;
        if (std::exchange(m_skipping, false))
            continue; // the end of a line already refused
        if (line.size() > maxLineBytes) {
            say(tooLong);
        } else if (!run(QString::fromUtf8(line))) {
            m_input.remove(0, start);
            return false;
        }
    }
    m_input.remove(0, start);
    if (m_input.size() > maxLineBytes) {
        if (!m_skipping)
            say(tooLong);
        m_skipping = true;
        m_input.clear();
    }
    return true;
}

TnvHookSwitchDevice* PhoneConsole::hookSwitchDevice(const QString& word) const
{
    if (word.isEmpty() || word == QLatin1String("handset"))
        return m_phone->Handset();
    if (word == QLatin1String("speaker") || word == QLatin1String("speakerphone"))
        return m_phone->Speakerphone();
    if (word == QLatin1String("headset"))
        return m_phone->Headset();
    return nullptr;
}

bool PhoneConsole::run(const QString& line)
{
    const QStringList words = line.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return true;
    const QString& command = words.first();
    const QString arg1 = words.value(1);
    const QString arg2 = words.value(2);
    const auto number = [](const QString& text, int* out) {
        bool ok = false;
        *out = text.toInt(&ok);
        return ok;
    };
    int n = 0;

    if (command == QLatin1String("quit") || command == QLatin1String("exit"))
        return false;
    if (command == QLatin1String("help")) {
        say(helpText().trimmed());
    } else if (command == QLatin1String("enable") || command == QLatin1String("disable")) {
        m_phone->setEnabled(command == QLatin1String("enable"));
    } else if (command == QLatin1String("list")) {
        const QStringList& list = m_phone->Device()->List();
        for (qsizetype i = 0; i < list.size(); ++i)
            say(QStringLiteral("%1%2: %3").arg(i == m_phone->Device()->ID() ? QStringLiteral("*") : QStringLiteral(" "))
                    .arg(i)
                    .arg(list.at(i)));
    } else if (command == QLatin1String("select") && number(arg1, &n)) {
        m_phone->Device()->setID(n);
    } else if (command == QLatin1String("open") || command == QLatin1String("close")) {
        m_phone->Device()->setActive(command == QLatin1String("open"));
    } else if ((command == QLatin1String("lift") || command == QLatin1String("hangup")) && hookSwitchDevice(arg1)) {
        TnvHookSwitchDevice* device = hookSwitchDevice(arg1);
        if (command == QLatin1String("lift"))
            device->setMicrophoneAndSpeaker(true);
        else
            device->setOnHook(true);
    } else if (command == QLatin1String("mode") && hookSwitchDevice(arg1)) {
        TnvHookSwitchDevice* device = hookSwitchDevice(arg1);
        if (arg2 == QLatin1String("onhook"))
            device->setOnHook(true);
        else if (arg2 == QLatin1String("mic"))
            device->setMicrophoneOnly(true);
        else if (arg2 == QLatin1String("speaker"))
            device->setSpeakerOnly(true);
        else if (arg2 == QLatin1String("micspeaker"))
            device->setMicrophoneAndSpeaker(true);
        else
            say(QStringLiteral("mode: one of onhook, mic, speaker, micspeaker"));
    } else if ((command == QLatin1String("volume") || command == QLatin1String("gain")) && hookSwitchDevice(arg1)
               && number(arg2, &n)) {
        TnvHookSwitchDevice* device = hookSwitchDevice(arg1);
        if (n < 0 || n > 100)
            say(QStringLiteral("%1: a value from 0 to 100").arg(command));
        else if (command == QLatin1String("volume"))
            device->setVolume(n);
        else
            device->setGain(n);
    } else if (command == QLatin1String("status")) {
        say(QStringLiteral("Device %1 '%2' %3").arg(m_phone->Device()->ID()).arg(m_phone->Device()->Name(),
                m_phone->Device()->Active() ? QStringLiteral("open") : QStringLiteral("closed")));
        for (TnvHookSwitchDevice* device : {m_phone->Handset(), m_phone->Speakerphone(), m_phone->Headset()}) {
            const QString mode = device->OnHook()                 ? QStringLiteral("on hook")
                               : device->MicrophoneOnly()         ? QStringLiteral("microphone only")
                               : device->SpeakerOnly()            ? QStringLiteral("speaker only")
                               : device->MicrophoneAndSpeaker()   ? QStringLiteral("microphone and speaker")
                                                                  : QStringLiteral("unknown");
            say(QStringLiteral("%1: %2, volume %3, gain %4")
                    .arg(device->DeviceName(), mode)
                    .arg(device->Volume())
                    .arg(device->Gain()));
        }
    } else if (command == QLatin1String("dump")) {
        m_phone->LogProperties(QStringLiteral("Current nvPhone property values:"), QString(), QString());
    } else {
        say(QStringLiteral("unknown command; try help"));
    }
    return true;
}
