#pragma once

// A ProviderSink that records every report of a provider, in order, for tests that drive
// a provider directly through its interface.

#include <provider/TelephonyProvider.h>

#include <QList>

#include <functional>

namespace ProviderTest {

using Telephony::CallId;

struct Event {
    enum Kind {
        Reply,
        NewCall,
        State,
        Info,
        LineState,
        AddressState,
        Closed,
        DevSpecific,
        Digit,
        Media,
        Tone,
        Generate,
        Phone,
        Button
    };
    Kind kind;
    DWORD a = 0, b = 0, c = 0, d = 0;
};

class RecordingSink : public Telephony::ProviderSink {
public:
    QList<Event> events;
    CallId nextCall = 5001;

    void completeRequest(DWORD requestId, LONG result) override { add({Event::Reply, requestId, DWORD(result)}); }
    CallId newCall(DWORD deviceId, DWORD addressId) override
    {
        const CallId id = nextCall++;
        add({Event::NewCall, id, deviceId, addressId});
        return id;
    }
    void callStateChanged(CallId call, DWORD state, DWORD mode) override { add({Event::State, call, state, mode}); }
    void callInfoChanged(CallId call, DWORD states) override { add({Event::Info, call, states}); }
    void lineDevStateChanged(DWORD device, DWORD state, DWORD p2, DWORD p3) override
    {
        add({Event::LineState, device, state, p2, p3});
    }
    void addressStateChanged(DWORD device, DWORD address, DWORD state) override
    {
        add({Event::AddressState, device, address, state});
    }
    void lineClosed(DWORD device) override { add({Event::Closed, device}); }
    void lineDevSpecific(DWORD device, CallId call, DWORD p1, DWORD p2, DWORD p3) override
    {
        add({Event::DevSpecific, device, call, p1, p2});
        (void)p3;
        lastDevSpecificP3 = p3;
    }
    void digitReceived(CallId call, char digit, DWORD mode) override { add({Event::Digit, call, DWORD(digit), mode}); }
    void mediaModeDetected(CallId call, DWORD mode) override { add({Event::Media, call, mode}); }
    void toneDetected(DWORD token, DWORD appSpecific) override { add({Event::Tone, token, appSpecific}); }
    void generateFinished(DWORD token, DWORD termination) override { add({Event::Generate, token, termination}); }
    void phoneStateChanged(DWORD phone, DWORD state, DWORD p2) override { add({Event::Phone, phone, state, p2}); }
    void phoneButton(DWORD phone, DWORD button, DWORD mode, DWORD state) override
    {
        add({Event::Button, phone, button, mode, state});
    }

    DWORD lastDevSpecificP3 = 0;
    std::function<void(const Event&)> onEvent;

    // The states reported for a call, in order.
    QList<DWORD> states(CallId call) const
    {
        QList<DWORD> list;
        for (const Event& e : events)
            if (e.kind == Event::State && e.a == call)
                list << e.b;
        return list;
    }
    DWORD lastState(CallId call) const
    {
        const QList<DWORD> s = states(call);
        return s.isEmpty() ? 0 : s.last();
    }
    DWORD lastMode(CallId call) const
    {
        for (qsizetype i = events.size() - 1; i >= 0; --i)
            if (events[i].kind == Event::State && events[i].a == call)
                return events[i].c;
        return 0;
    }
    DWORD infoBits(CallId call) const
    {
        DWORD bits = 0;
        for (const Event& e : events)
            if (e.kind == Event::Info && e.a == call)
                bits |= e.b;
        return bits;
    }
    int indexOf(Event::Kind kind, DWORD a, DWORD b = 0xFFFFFFFF) const
    {
        for (qsizetype i = 0; i < events.size(); ++i)
            if (events[i].kind == kind && events[i].a == a && (b == 0xFFFFFFFF || events[i].b == b))
                return int(i);
        return -1;
    }
    int count(Event::Kind kind) const
    {
        int n = 0;
        for (const Event& e : events)
            n += e.kind == kind;
        return n;
    }
    QList<Event> of(Event::Kind kind) const
    {
        QList<Event> list;
        for (const Event& e : events)
            if (e.kind == kind)
                list << e;
        return list;
    }
    bool hasReply(DWORD request) const { return indexOf(Event::Reply, request) >= 0; }
    LONG reply(DWORD request) const
    {
        const int i = indexOf(Event::Reply, request);
        return i < 0 ? LONG(1) : LONG(events[i].b);
    }
    QByteArray digits(CallId call) const
    {
        QByteArray d;
        for (const Event& e : events)
            if (e.kind == Event::Digit && e.a == call)
                d.append(char(e.b));
        return d;
    }
    QList<CallId> newCalls() const
    {
        QList<CallId> ids;
        for (const Event& e : events)
            if (e.kind == Event::NewCall)
                ids << e.a;
        return ids;
    }

private:
    void add(const Event& e)
    {
        events << e;
        if (onEvent)
            onEvent(e);
    }
};

} // namespace ProviderTest
