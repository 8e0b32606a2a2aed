// The related devices of an open line on the simulated exchange: the IDs each privilege
// combination looks up, the changes an open line refuses, and a data call's comm handle.

#include "EventLoop.h"
#include "InstantService.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLineLine.h>
#include <TnvPrivilege.h>
#include <TnvPropertyPath.h>
#include <TnvRelatedCommDevice.h>
#include <TnvRelatedPhoneDevice.h>
#include <TnvRelatedWaveDevice.h>


#include <gtest/gtest.h>

#include <fcntl.h>

#include <memory>
#include <ostream>

namespace {

class OpenLine : public InstantServiceTest {
protected:
    void SetUp() override
    {
        InstantServiceTest::SetUp();
        m_line = std::make_unique<TnvLine>();
        m_line->setEnabled(true);
        ASSERT_TRUE(m_line->Initialised());
    }

    void TearDown() override
    {
        m_line.reset();
        InstantServiceTest::TearDown();
    }

    void setPrivileges(bool none, bool monitor, bool owner)
    {
        // None first: setting it clears the other two.
        m_line->Privilege()->setNone(none);
        m_line->Privilege()->setMonitor(monitor);
        m_line->Privilege()->setOwner(owner);
    }

    // Related IDs as (available, id) pairs: phone, wave play, wave record.
    std::array<std::pair<bool, qint64>, 3> related() const
    {
        return {{{m_line->Phone()->Available(), m_line->Phone()->ID()},
                 {m_line->WavePlay()->Available(), m_line->WavePlay()->ID()},
                 {m_line->WaveRecord()->Available(), m_line->WaveRecord()->ID()}}};
    }

    // A data call from the open line to the exchange's answering modem, connected.
    HCALL connectedDataCall()
    {
        LINECALLPARAMS params{};
        params.dwTotalSize = sizeof params;
        params.dwMediaMode = LINEMEDIAMODE_DATAMODEM;
        EXPECT_GT(lineMakeCall(m_line->Line()->Handle(), &m_call, "5550110", 0, &params), 0);
        const auto connected = [&] {
            LINECALLSTATUS status{};
            status.dwTotalSize = sizeof status;
            return m_call != 0 && lineGetCallStatus(m_call, &status) == 0
                && status.dwCallState == LINECALLSTATE_CONNECTED;
        };
        EXPECT_TRUE(waitUntil(connected));
        return m_call;
    }

    static bool isOpenDescriptor(DWORD fd) { return ::fcntl(int(fd), F_GETFD) != -1; }

    std::unique_ptr<TnvLine> m_line;
    HCALL m_call = 0; // filled in by the reply
};

struct OpenCase {
    const char* title;
    int device;
    bool none, monitor, owner;
    bool opens;
    std::array<std::pair<bool, qint64>, 3> related; // phone, wave play, wave record
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.title; }

class OpenWithPrivileges : public OpenLine, public ::testing::WithParamInterface<OpenCase> {};

} // namespace

TEST_P(OpenWithPrivileges, LooksUpWhatThePrivilegesAllow)
{
    const OpenCase& c = GetParam();
    m_line->Device()->setID(c.device);
    setPrivileges(c.none, c.monitor, c.owner);
    m_line->Device()->setActive(true);
    ASSERT_EQ(m_line->Device()->Active(), c.opens);
    // The refusal is reported; later steps of the assignment may clear Error again.
    EXPECT_EQ(m_line->Log()->Lines().filter(QStringLiteral("\tlineOpen returned ")).isEmpty(), c.opens);
    EXPECT_EQ(related(), c.related);

    // Closing forgets every related ID, denied ones included.
    m_line->Device()->setActive(false);
    EXPECT_EQ(related(), (std::array<std::pair<bool, qint64>, 3>{}));
}

// Device 0 has phone 0 and the call-audio wave devices out 1, in 1 (after the loopback
// pair); device 1 has no phone and wave devices out 2, in 2.
INSTANTIATE_TEST_SUITE_P(
    Simulated, OpenWithPrivileges,
    ::testing::Values(OpenCase{"MonitorAndOwner", 0, false, true, true, true, {{{true, 0}, {true, 1}, {true, 1}}}},
                      OpenCase{"OwnerOnly", 0, false, false, true, true, {{{true, 0}, {true, 1}, {true, 1}}}},
                      OpenCase{"MonitorDeniesPlay", 0, false, true, false, true, {{{true, 0}, {false, -2}, {true, 1}}}},
                      OpenCase{"NoneLooksUpNothing", 0, true, false, false, true, {}},
                      OpenCase{"NoPrivilegeFailsToOpen", 0, false, false, false, false, {}},
                      OpenCase{"LineWithoutPhone", 1, false, true, true, true, {{{false, 0}, {true, 2}, {true, 2}}}}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(OpenLine, OpenLineRefusesPrivilegeAndClassChanges)
{
    m_line->Device()->setActive(true);
    ASSERT_TRUE(m_line->Device()->Active());
    const struct {
        const char* path;
        QVariant value;
        const char* line;
    } cases[] = {
        {"Privilege.None", true, "Device.Privilege.None := True"},
        {"Privilege.Owner", false, "Device.Privilege.Owner := False"},
        {"Comm.DeviceClass", "comm", "Comm.DeviceClass := \"comm\""},
        {"Phone.DeviceClass", "", "Phone.DeviceClass := \"\""},
        {"WavePlay.DeviceClass", "x", "WavePlay.DeviceClass := \"x\""},
        {"WaveRecord.DeviceClass", "x", "WaveRecord.DeviceClass := \"x\""},
    };
    for (const auto& c : cases) {
        const QString path = QLatin1String(c.path);
        const QVariant before = TnvPropertyPath::read(m_line.get(), path);
        const qsizetype mark = m_line->Log()->Lines().size();
        ASSERT_TRUE(TnvPropertyPath::write(m_line.get(), path, c.value)) << c.path;
        EXPECT_EQ(TnvPropertyPath::read(m_line.get(), path), before) << c.path;
        EXPECT_EQ(m_line->Error()->Number(), qint32(LINEERR_INVALLINESTATE)) << c.path;
        EXPECT_EQ(m_line->Log()->Lines().mid(mark),
                  (QStringList{c.line, "<< Error >> " + m_line->Error()->Text() + " [8000002C]"}));
    }
}

TEST_F(OpenLine, DataCallHoldsACommHandleUntilReleased)
{
    m_line->Phone()->setDeviceClass(QString()); // an empty class is not looked up
    m_line->Device()->setActive(true);
    ASSERT_TRUE(m_line->Device()->Active());
    EXPECT_FALSE(m_line->Phone()->Available());
    const HCALL call = connectedDataCall();
    ASSERT_NE(call, 0u);
    TnvRelatedCommDevice* comm = m_line->Comm();

    // Disabled, or a voice call: nothing is asked for, though the port exists.
    comm->fetchHandle(call, LINEMEDIAMODE_DATAMODEM);
    comm->storeEnabled(true);
    comm->fetchHandle(call, LINEMEDIAMODE_INTERACTIVEVOICE);
    EXPECT_FALSE(comm->Available());

    comm->fetchHandle(call, LINEMEDIAMODE_DATAMODEM);
    ASSERT_TRUE(comm->Available());
    const DWORD first = comm->Handle();
    EXPECT_TRUE(isOpenDescriptor(first));
    comm->closeHandle();
    EXPECT_FALSE(isOpenDescriptor(first));
    EXPECT_EQ(comm->Handle(), 0u);

    // Closing the line gives a held handle back as well.
    comm->fetchHandle(call, LINEMEDIAMODE_DATAMODEM);
    ASSERT_TRUE(comm->Available());
    const DWORD second = comm->Handle();
    m_line->Device()->setActive(false);
    EXPECT_FALSE(comm->Available());
    EXPECT_FALSE(isOpenDescriptor(second));
    EXPECT_TRUE(comm->Enabled());
}
