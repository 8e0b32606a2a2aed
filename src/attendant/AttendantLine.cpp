#include "AttendantLine.h"

#include "AttendantStore.h"

#include <TnvLine.h>
#include <TnvPlay.h>
#include <TnvPropertyPath.h>
#include <TnvRecord.h>

#include <TapiConstants.h>

#include <algorithm>

namespace {

// A hang-up whose call never reports its end still finishes the call after this long.
constexpr int kEndGuardMs = 5000;

} // namespace

AttendantLine::AttendantLine(int number, const AttendantLineSettings& settings, const AttendantStore& store,
                             QObject* parent)
    : QObject(parent)
    , m_number(number)
    , m_settings(settings)
    , m_store(store)
{
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        log(QStringLiteral("the message reached %1 s").arg(m_settings.maxSeconds));
        stopRecording();
    });
    m_endGuard.setSingleShot(true);
    connect(&m_endGuard, &QTimer::timeout, this, &AttendantLine::finishCall);
}

AttendantLine::~AttendantLine()
{
    m_play.reset();
    m_record.reset();
    m_retired.clear();
    if (m_line) {
        m_line->Device()->setActive(false);
        m_line.reset();
    }
}

void AttendantLine::log(const QString& text)
{
    if (onLog)
        onLog(QStringLiteral("line %1: %2").arg(m_number).arg(text));
}

bool AttendantLine::open(QString* error)
{
    m_line = std::make_unique<TnvLine>();
    m_line->BeginLoading();
    // The owner plays into calls and the monitor hears them; the versions are those that
    // know the related wave devices.
    const QStringList refused = TnvPropertyPath::apply(m_line.get(), {{QStringLiteral("Enabled"), true},
                                                                      {QStringLiteral("Privilege.Owner"), true},
                                                                      {QStringLiteral("Privilege.Monitor"), true},
                                                                      {QStringLiteral("Device.IdleDelay"), 0},
                                                                      // The caller as the network gives them.
                                                                      {QStringLiteral("Call.CallerID.MaskNumber"), QString()},
                                                                      {QStringLiteral("Call.CallerID.FormatName"), false},
                                                                      {QStringLiteral("TAPI.LowVersion"), 65539},
                                                                      {QStringLiteral("TAPI.HighVersion"), 131074}});
    m_line->Loaded();
    if (!refused.isEmpty() || !m_line->Initialised()) {
        *error = QStringLiteral("the telephony service did not start: ") + m_line->Error()->Text();
        return false;
    }
    if (m_number < 1 || m_number > m_line->Device()->Count()) {
        *error = QStringLiteral("there is no line %1 (lines 1 to %2)").arg(m_number).arg(m_line->Device()->Count());
        return false;
    }
    m_line->Device()->setID(m_number - 1);
    m_line->Device()->setActive(true);
    if (!m_line->Device()->Active()) {
        *error = QStringLiteral("line %1 (%2) does not open: %3")
                     .arg(m_number)
                     .arg(m_line->Device()->Name(), m_line->Error()->Text());
        return false;
    }
    if (!m_line->WavePlay()->Available() || !m_line->WaveRecord()->Available()) {
        *error = QStringLiteral("line %1 (%2) has no call audio").arg(m_number).arg(m_line->Device()->Name());
        m_line->Device()->setActive(false);
        return false;
    }
    m_line->OnOffering = [this](TnvSharedControl*, int handle) { offered(handle); };
    m_line->OnConnected = [this](TnvSharedControl*, int handle) { connected(handle); };
    m_line->OnDisconnected = [this](TnvSharedControl*, int handle) { farEndGone(handle); };
    m_line->OnCallEnd = [this](TnvSharedControl*, int handle) { callEnded(handle); };
    m_line->OnDigitReceived = [this](TnvSharedControl*, int handle, QChar pressed, int) { digit(handle, pressed); };
    log(QStringLiteral("answering on %1").arg(m_line->Device()->Name()));
    return true;
}

bool AttendantLine::selectCall()
{
    if (m_handle == 0)
        return false;
    if (int(m_line->Call()->Handle()) != m_handle)
        m_line->Call()->setHandle(quint32(m_handle));
    return int(m_line->Call()->Handle()) == m_handle;
}

void AttendantLine::readCaller()
{
    if (!selectCall())
        return;
    const QString number = m_line->Call()->CallerID()->Number();
    const QString name = m_line->Call()->CallerID()->Name();
    if (!number.isEmpty())
        m_call.callerNumber = number;
    if (!name.isEmpty())
        m_call.callerName = name;
}

void AttendantLine::offered(int handle)
{
    if (!m_taking || handle == m_handle)
        return;
    if (m_phase != Phase::Idle) {
        // One call at a time: this one rings until the line is free.
        if (std::find(m_waiting.begin(), m_waiting.end(), handle) == m_waiting.end())
            m_waiting.push_back(handle);
        return;
    }
    take(handle);
}

void AttendantLine::take(int handle)
{
    m_handle = handle;
    m_callGone = false;
    m_call = AttendantCall();
    m_call.line = m_number;
    m_call.start = QDateTime::currentDateTime();
    m_phase = Phase::Answering;
    readCaller();
    log(QStringLiteral("call from %1%2")
            .arg(m_call.callerNumber.isEmpty() ? QStringLiteral("an unknown number") : m_call.callerNumber,
                 m_call.callerName.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_call.callerName)));
    if (!selectCall() || !m_line->Call()->Answer()) {
        m_call.result = AttendantCall::Failed;
        m_call.error = QStringLiteral("cannot answer: ") + m_line->Error()->Text();
        endCall();
    }
}

void AttendantLine::connected(int handle)
{
    if (handle != m_handle || m_phase != Phase::Answering)
        return;
    readCaller();
    m_line->Call()->MonitorDigits()->setActive(true);
    if (!m_line->Call()->MonitorDigits()->Active())
        log(QStringLiteral("the caller's digits cannot be followed: ") + m_line->Error()->Text());
    m_phase = Phase::Greeting;
    if (!play(m_settings.greeting))
        startRecording();
}

bool AttendantLine::play(const QString& file)
{
    stopPlaying();
    m_play = std::make_unique<TnvPlay>();
    m_play->Device()->setCODECsEnabled(true);
    m_play->Device()->setID(m_line->WavePlay()->ID());
    m_play->Source()->setFileName(file);
    // Done comes from inside the control; the next step runs once it has returned.
    m_play->OnDone = [this](TnvSharedControl*) {
        QMetaObject::invokeMethod(this, &AttendantLine::greetingDone, Qt::QueuedConnection);
    };
    // A device that stopped on an error ends the greeting too: the caller is not left
    // waiting in silence.
    m_play->OnError = [this](TnvSharedControl* sender) {
        log(QStringLiteral("playing failed: ") + sender->Error()->Text());
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_play && !m_play->Device()->Active())
                    greetingDone();
            },
            Qt::QueuedConnection);
    };
    if (m_play->Source()->Valid())
        m_play->Device()->setActive(true);
    if (m_play->Device()->Active())
        return true;
    log(QStringLiteral("cannot play %1: %2").arg(file, m_play->Error()->Text()));
    return false;
}

void AttendantLine::stopPlaying()
{
    if (!m_play)
        return;
    m_play->OnDone = nullptr;
    m_play->OnError = nullptr;
    if (m_play->Device()->Active())
        m_play->Device()->setActive(false);
    m_retired.push_back(std::move(m_play));
    QMetaObject::invokeMethod(this, [this] { m_retired.clear(); }, Qt::QueuedConnection);
}

void AttendantLine::greetingDone()
{
    if (m_phase == Phase::Greeting)
        startRecording();
}

void AttendantLine::digit(int handle, QChar pressed)
{
    if (handle != m_handle || (m_phase != Phase::Greeting && m_phase != Phase::Recording))
        return;
    m_call.digits += pressed;
    if (m_phase == Phase::Recording) {
        if (pressed == u'#')
            stopRecording();
        return;
    }
    if (pressed == u'0' && !m_settings.operatorNumber.isEmpty()) {
        transfer();
    } else if (const auto entry = m_settings.menu.constFind(pressed); entry != m_settings.menu.cend()) {
        log(QStringLiteral("the caller pressed %1: playing %2").arg(pressed).arg(*entry));
        if (!play(*entry))
            startRecording();
    } else if (pressed == u'#') {
        // The caller knows the greeting: straight to the message.
        startRecording();
    }
}

void AttendantLine::transfer()
{
    stopPlaying();
    log(QStringLiteral("transferring the caller to %1").arg(m_settings.operatorNumber));
    if (selectCall()) {
        m_line->Call()->setPhoneNumber(m_settings.operatorNumber);
        if (m_line->Call()->Transfer()) {
            m_call.result = AttendantCall::Transferred;
            m_phase = Phase::Ending;
            m_endGuard.start(kEndGuardMs);
            if (m_callGone)
                finishCall();
            return;
        }
    }
    log(QStringLiteral("the transfer failed (%1); the caller may leave a message").arg(m_line->Error()->Text()));
    startRecording();
}

void AttendantLine::startRecording()
{
    stopPlaying();
    m_phase = Phase::Recording;
    m_record = std::make_unique<TnvRecord>();
    m_record->Device()->setCODECsEnabled(true);
    m_record->Device()->setID(m_line->WaveRecord()->ID());
    // Into the buffer: the store saves it with the caller in its INFO list.
    m_record->Source()->Buffer()->setActive(true);
    m_record->Source()->Format()->setID(TnvWave::wfPCM08000M16);
    m_record->Device()->setActive(true);
    if (!m_record->Device()->Active()) {
        m_call.result = AttendantCall::Failed;
        m_call.error = QStringLiteral("cannot record: ") + m_record->Error()->Text();
        log(m_call.error);
        m_record.reset();
        endCall();
        return;
    }
    m_limit.start(m_settings.maxSeconds * 1000);
}

void AttendantLine::stopRecording()
{
    if (m_phase != Phase::Recording || !m_record)
        return;
    m_limit.stop();
    m_phase = Phase::Ending;
    m_record->Device()->setActive(false);
    m_call.seconds = m_record->Source()->Format()->Seconds();
    m_store.save(*m_record, m_call);
    if (m_call.result == AttendantCall::Recorded)
        log(QStringLiteral("message of %1 s saved in %2").arg(m_call.seconds, 0, 'f', 1).arg(m_call.file));
    else if (m_call.result == AttendantCall::Recovered)
        log(QStringLiteral("%1; the message is kept in %2").arg(m_call.error, m_call.file));
    else
        log(QStringLiteral("the message is lost: ") + m_call.error);
    m_retired.push_back(std::move(m_record));
    QMetaObject::invokeMethod(this, [this] { m_retired.clear(); }, Qt::QueuedConnection);
    endCall();
}

void AttendantLine::farEndGone(int handle)
{
    if (handle != m_handle)
        return;
    m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), handle), m_waiting.end());
    switch (m_phase) {
    case Phase::Recording: stopRecording(); break;
    case Phase::Answering:
    case Phase::Greeting:
        stopPlaying();
        endCall();
        break;
    case Phase::Idle:
    case Phase::Ending: break;
    }
}

void AttendantLine::callEnded(int handle)
{
    m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), handle), m_waiting.end());
    if (handle != m_handle)
        return;
    m_callGone = true;
    if (m_phase == Phase::Ending)
        finishCall();
    else
        farEndGone(handle);
}

void AttendantLine::cutShort()
{
    m_taking = false;
    if (m_phase == Phase::Recording)
        stopRecording();
    else if (m_phase == Phase::Greeting || m_phase == Phase::Answering)
        farEndGone(m_handle);
}

void AttendantLine::endCall()
{
    m_phase = Phase::Ending;
    m_limit.stop();
    if (m_call.result.isEmpty())
        m_call.result = AttendantCall::NoMessage;
    if (m_callGone) {
        finishCall();
        return;
    }
    if (!selectCall() || m_line->Call()->State() == LINECALLSTATE_IDLE || !m_line->Call()->Hangup()) {
        finishCall();
        return;
    }
    m_endGuard.start(kEndGuardMs);
}

void AttendantLine::finishCall()
{
    if (m_phase != Phase::Ending)
        return;
    m_endGuard.stop();
    stopPlaying();
    const AttendantCall call = m_call;
    m_phase = Phase::Idle;
    m_handle = 0;
    const QString written = m_store.append(call);
    if (written.isEmpty())
        log(QStringLiteral("the call could not be written to any calls.jsonl"));
    else if (!written.startsWith(m_store.folder() + QLatin1Char('/')))
        log(QStringLiteral("the call is written to %1").arg(written));
    if (onCallDone)
        onCallDone(call);
    // The next caller waiting on this line, if still ringing.
    while (m_taking && m_phase == Phase::Idle && !m_waiting.empty()) {
        const int next = m_waiting.front();
        m_waiting.pop_front();
        m_line->Call()->setHandle(quint32(next));
        if (int(m_line->Call()->Handle()) == next && m_line->Call()->State() == LINECALLSTATE_OFFERING)
            take(next);
    }
    closeIfIdle();
}

void AttendantLine::stopTaking()
{
    m_taking = false;
    m_waiting.clear();
    closeIfIdle();
}

void AttendantLine::closeIfIdle()
{
    if (m_taking || m_closed || m_phase != Phase::Idle)
        return;
    m_closed = true;
    // The line's own event may be on the stack: it closes once that has returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_line)
                m_line->Device()->setActive(false);
            log(QStringLiteral("closed"));
            if (onClosed)
                onClosed();
        },
        Qt::QueuedConnection);
}
