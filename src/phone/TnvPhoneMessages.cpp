// The service's messages to the phone control: keys, state changes, replies and
// device-specific reports. Handlers pump the event loop (through waits and the pass at
// the end of each message), so each one re-reads what it needs after such a point.
#include "TnvPhonePrivate.h"

#include "TnvHookSwitchDevice.h"
#include "TnvPhone.h"
#include "TnvPhoneConnection.h"
#include "TnvPhoneDevice.h"
#include "TnvPhoneView.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvVantage.h>

#include <QCoreApplication>
#include <QScopeGuard>

namespace {

// How many messages are being handled, one inside another, in this thread.
int g_messageDepth = 0;

QString hex(DWORD value)
{
    return TnvNotation::hex8(value);
}

// The keypad's keys 0 to 11 as the digits they stand for; null for any other key.
QChar keypadDigit(DWORD key)
{
    if (key <= 9)
        return QChar(u'0' + char16_t(key));
    if (key == 10)
        return QChar(u'*');
    if (key == 11)
        return QChar(u'#');
    return QChar();
}

} // namespace

int TnvPhonePrivate::messageDepth()
{
    return g_messageDepth;
}

void TnvPhonePrivate::writeMessageDump(const QString& title, DWORD hDevice, DWORD message, DWORD param1, DWORD param2,
                                       DWORD param3)
{
    QString text1;
    QString text2;
    if (message == PHONE_STATE) {
        text1 = PhoneStateText(param1);
        if (TnvPhoneDevice::isHookSwitchState(param1))
            text2 = HookSwitchModeText(param2);
    }
    write(true, title);
    write(false, QLatin1Char('\t') + MessageHandleText(message) + QStringLiteral(" = [") + hex(hDevice) + QLatin1Char(']'));
    write(false, QStringLiteral("\tMessage = ") + MessageText(message) + QStringLiteral(" [") + hex(message) + QLatin1Char(']'));
    write(false, QStringLiteral("\tParameter 1 = ") + text1 + QLatin1Char('[') + hex(param1) + QLatin1Char(']'));
    write(false, QStringLiteral("\tParameter 2 = ") + text2 + QLatin1Char('[') + hex(param2) + QLatin1Char(']'));
    write(false, QStringLiteral("\tParameter 3 = [") + hex(param3) + QLatin1Char(']'));
}

void TnvPhonePrivate::handleMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3)
{
    ++g_messageDepth;
    const auto leave = qScopeGuard([] { --g_messageDepth; });
    if (q->OnTAPIMessage)
        q->OnTAPIMessage(q, int(hDevice), int(message), int(param1), int(param2), int(param3));
    if (m_popup->OnTAPIMessage())
        writeMessageDump(QStringLiteral("OnTAPIMessage"), hDevice, message, param1, param2, param3);
    Vantage()->ShowPopup(m_popup->OnTAPIMessage());

    switch (message) {
    case PHONE_BUTTON: onButton(param1, param2, param3); break;
    case PHONE_CLOSE: onPhoneClosed(hDevice); break;
    case PHONE_DEVSPECIFIC: onDevSpecific(hDevice, param1, param2, param3); break;
    case PHONE_REPLY: onReply(hDevice, param1, param2, param3); break;
    case PHONE_STATE: onPhoneState(param1, param2); break;
    default: break;
    }

    // A message handled inside another one's pass starts no pass of its own, so a flood
    // of messages is handled one after another rather than ever deeper on the stack.
    if (g_messageDepth <= 1)
        QCoreApplication::processEvents();
}

void TnvPhonePrivate::onButton(DWORD key, DWORD mode, DWORD state)
{
    if (mode != PHONEBUTTONMODE_KEYPAD)
        return;
    const QChar digit = keypadDigit(key);
    if (digit.isNull())
        return;
    const bool up = state == PHONEBUTTONSTATE_UP;
    if (!up && state != PHONEBUTTONSTATE_DOWN)
        return;
    write(true, (up ? QStringLiteral("OnDigitUp (") : QStringLiteral("OnDigitDown (")) + digit + QLatin1Char(')'));
    const TNV_PhoneDigitEvent& handler = up ? q->OnDigitUp : q->OnDigitDown;
    if (Vantage()->Events() && handler)
        handler(q, digit);
    Vantage()->ShowPopup(up ? m_popup->OnDigitUp() : m_popup->OnDigitDown());
}

void TnvPhonePrivate::onDevSpecific(DWORD hDevice, DWORD param1, DWORD param2, DWORD param3)
{
    if (m_popup->OnDevSpecific())
        write(true, QStringLiteral("OnDevSpecific ([") + hex(hDevice) + QStringLiteral("] [") + hex(param1)
                        + QStringLiteral("] [") + hex(param2) + QStringLiteral("] [") + hex(param3)
                        + QStringLiteral("])"));
    if (q->OnDevSpecific)
        q->OnDevSpecific(q, int(hDevice), int(param1), int(param2), int(param3));
    Vantage()->ShowPopup(m_popup->OnDevSpecific());
}

void TnvPhonePrivate::onReply(DWORD hDevice, DWORD request, DWORD result, DWORD param3)
{
    // -1 marks a slot whose request succeeded; an error keeps its own code.
    const qint32 value = result == 0 ? -1 : qint32(result);
    for (TnvHookSwitchDevice* device : {m_handset, m_speakerphone, m_headset})
        if (device->takeReply(qint32(request), value))
            break;
    if (m_waitDepth > 0) {
        m_answered.append({qint32(request), qint32(result)});
        if (m_answered.size() > 64)
            m_answered.removeFirst();
    }
    if (q->OnTAPIReply)
        q->OnTAPIReply(q, int(request), int(result), int(param3));
    if (m_popup->OnTAPIReply())
        writeMessageDump(QStringLiteral("OnTAPIReply"), hDevice, PHONE_REPLY, request, result, param3);
    Vantage()->ShowPopup(m_popup->OnTAPIReply());
}

void TnvPhonePrivate::onPhoneState(DWORD state, DWORD details)
{
    m_device->storeState(state, details);
    if (m_popup->OnPhoneState()) {
        write(true, QStringLiteral("OnPhoneState"));
        write(false, QStringLiteral("\tDevice.State = ") + PhoneStateText(state));
        write(false, QStringLiteral("\tDevice.StateDetails = ")
                         + (TnvPhoneDevice::isHookSwitchState(state) ? HookSwitchModeText(details)
                                                                      : QString::number(details)));
    }
    if (Vantage()->Events() && q->OnPhoneState)
        q->OnPhoneState(q);
    Vantage()->ShowPopup(m_popup->OnPhoneState());

    switch (state) {
    case PHONESTATE_HANDSETHOOKSWITCH: m_handset->onHookSwitchState(details); break;
    case PHONESTATE_SPEAKERHOOKSWITCH: m_speakerphone->onHookSwitchState(details); break;
    case PHONESTATE_HEADSETHOOKSWITCH: m_headset->onHookSwitchState(details); break;
    case PHONESTATE_HANDSETVOLUME: m_handset->onVolumeState(); break;
    case PHONESTATE_SPEAKERVOLUME: m_speakerphone->onVolumeState(); break;
    case PHONESTATE_HEADSETVOLUME: m_headset->onVolumeState(); break;
    case PHONESTATE_HANDSETGAIN: m_handset->onGainState(); break;
    case PHONESTATE_SPEAKERGAIN: m_speakerphone->onGainState(); break;
    case PHONESTATE_HEADSETGAIN: m_headset->onGainState(); break;
    default: break;
    }
}

void TnvPhonePrivate::onPhoneClosed(DWORD hDevice)
{
    // Only the phone this control has open; a late message for an earlier open is old news.
    if (!m_device->Active() || hDevice != m_connection->Handle())
        return;
    write(true, QStringLiteral("TAPI PHONE_CLOSE message received"));
    ClosePhone(true);
    refreshAfterDeviceChange();
}
