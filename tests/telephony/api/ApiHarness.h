#pragma once

// Drives the raw telephony API in tests: records every message each callback instance
// receives, and waits for messages on the real event loop.

#include <ServiceControl.h>
#include <TapiApi.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

struct TapiMessage {
    DWORD device, message, instance, param1, param2, param3;
};

class ApiHarness : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A usage handle named name; its lines are opened with instances of its own.
    HLINEAPP initialize(const char* name, DWORD* devices = nullptr);
    HLINE open(HLINEAPP app, DWORD device, DWORD instance,
               DWORD privileges = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR,
               DWORD media = LINEMEDIAMODE_INTERACTIVEVOICE);

    // Messages of one instance, in arrival order.
    std::vector<TapiMessage> messages(DWORD instance) const;
    // Waits until a message matching pred arrived for instance; returns it.
    bool waitFor(DWORD instance, const std::function<bool(const TapiMessage&)>& pred, TapiMessage* found = nullptr,
                 int timeoutMs = 5000);
    bool waitForReply(DWORD instance, LONG request, LONG* result = nullptr);
    // call is read while waiting: a handle filled in by the reply works.
    bool waitForState(DWORD instance, const HCALL& call, DWORD state);
    // The call states one handle went through, in order.
    std::vector<DWORD> states(DWORD instance, HCALL call) const;
    void pump(int ms = 20);

    QJsonObject control(const QString& command, const QJsonObject& args = {});

    static void callback(DWORD device, DWORD message, DWORD instance, DWORD p1, DWORD p2, DWORD p3);
    static std::vector<TapiMessage> s_received;
    // Runs inside the callback, as an application's handler would.
    static std::function<void(const TapiMessage&)> s_onMessage;

    std::vector<HLINEAPP> m_apps;
    QTemporaryDir m_configDir;
};

// A heap block of exactly size bytes whose first field says so: the sanitizer build
// catches any read or write past it.
template<typename T>
struct Block {
    explicit Block(size_t size)
        : bytes(size, 0)
    {
        const DWORD total = DWORD(size);
        std::memcpy(bytes.data(), &total, sizeof total);
    }
    T* get() { return reinterpret_cast<T*>(bytes.data()); }
    T* operator->() { return get(); }
    QByteArray text(DWORD size, DWORD offset) const
    {
        if (!size || offset + size > bytes.size())
            return {};
        return QByteArray(bytes.data() + offset, qsizetype(strnlen(bytes.data() + offset, size)));
    }
    std::vector<char> bytes;
};
