#include "SipDigits.h"

#include <QByteArray>

#include <linphone++/linphone.hh>
#include <linphone/core.h>
#include <mediastreamer2/mediastream.h>
#include <ortp/telephonyevents.h>

// The stack keeps what its calls negotiated to itself; the audio stream of a call is
// reached through a function its library exports without declaring it.
extern "C" MediaStream* linphone_call_get_stream(LinphoneCall* call, LinphoneStreamType type);

namespace Telephony::Sip {

bool SipDigits::telephoneEvents(const std::shared_ptr<linphone::Call>& call)
{
    if (!call)
        return false;
    MediaStream* stream = linphone_call_get_stream(call->cPtr(), LinphoneStreamTypeAudio);
    if (!stream || !stream->sessions.rtp_session)
        return false;
    return rtp_session_send_telephone_events_supported(stream->sessions.rtp_session) >= 0;
}

bool SipDigits::sendInfo(const std::shared_ptr<linphone::Call>& call, char digit, int durationMs)
{
    if (!call || !QByteArray("0123456789*#ABCD").contains(digit))
        return false;
    auto core = call->getCore();
    auto info = core ? core->createInfoMessage() : nullptr;
    auto content = core ? core->createContent() : nullptr;
    if (!info || !content)
        return false;
    content->setType("application");
    content->setSubtype("dtmf-relay");
    content->setUtf8Text("Signal=" + std::string(1, digit) + "\r\nDuration=" + std::to_string(durationMs) + "\r\n");
    info->setContent(content);
    return call->sendInfoMessage(info) == linphone::Status(0);
}

} // namespace Telephony::Sip
