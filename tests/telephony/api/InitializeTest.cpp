// Usage handles and version negotiation.

#include "ApiHarness.h"

namespace {

class Initialize : public ApiHarness {};

} // namespace

TEST_F(Initialize, ReportsTheExchangeDevicesAndTheServiceVersion)
{
    HLINEAPP app = 0;
    DWORD devices = 0;
    DWORD version = TAPI_VERSION2_0;
    // The 28-byte block older callers pass is accepted as it is.
    std::vector<char> block(28, 0);
    auto* params = reinterpret_cast<LINEINITIALIZEEXPARAMS*>(block.data());
    params->dwTotalSize = 28;
    params->dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    ASSERT_EQ(lineInitializeExA(&app, nullptr, &ApiHarness::callback, "init", &devices, &version, params), 0);
    m_apps.push_back(app);
    EXPECT_EQ(devices, 3u);
    EXPECT_EQ(version, TAPI_VERSION2_2);

    HLINEAPP plain = 0;
    DWORD plainDevices = 0;
    ASSERT_EQ(lineInitialize(&plain, nullptr, &ApiHarness::callback, nullptr, &plainDevices), 0);
    m_apps.push_back(plain);
    EXPECT_EQ(plainDevices, 3u);
    EXPECT_NE(plain, app);
}

TEST_F(Initialize, RefusesBadParametersAndHandles)
{
    HLINEAPP app = 0;
    DWORD devices = 0;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = 16;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    DWORD version = TAPI_VERSION2_2;
    EXPECT_EQ(lineInitializeExA(&app, nullptr, &ApiHarness::callback, "x", &devices, &version, &params),
              LONG(LINEERR_STRUCTURETOOSMALL));
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    EXPECT_EQ(lineInitializeExA(&app, nullptr, &ApiHarness::callback, "x", &devices, &version, &params),
              LONG(LINEERR_INVALPARAM));
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    version = 0x00010002;
    EXPECT_EQ(lineInitializeExA(&app, nullptr, &ApiHarness::callback, "x", &devices, &version, &params),
              LONG(LINEERR_INCOMPATIBLEAPIVERSION));
    EXPECT_EQ(lineShutdown(0x1234), LONG(LINEERR_UNINITIALIZED));

    const HLINEAPP good = initialize("good");
    EXPECT_EQ(lineShutdown(good + 1), LONG(LINEERR_INVALAPPHANDLE));
}

TEST_F(Initialize, NegotiatesWithinTheCommonRange)
{
    const HLINEAPP app = initialize("versions");
    struct Case {
        DWORD device, low, high;
        LONG result;
        DWORD version;
    };
    const Case cases[] = {
        {0, 0x00010003, 0x00020002, 0, 0x00020002},
        {0, 0x00010003, 0x00030000, 0, 0x00020002},
        {0, 0x00010004, 0x00010004, 0, 0x00010004},
        {0, 0x00020003, 0x00030000, LONG(LINEERR_INCOMPATIBLEAPIVERSION), 0},
        {0, 0x00010000, 0x00010002, LONG(LINEERR_INCOMPATIBLEAPIVERSION), 0},
        {0, 0x00020000, 0x00010004, LONG(LINEERR_INCOMPATIBLEAPIVERSION), 0},
        {3, 0x00010003, 0x00020002, LONG(LINEERR_BADDEVICEID), 0},
    };
    for (const Case& c : cases) {
        DWORD version = 0;
        LINEEXTENSIONID id{};
        EXPECT_EQ(lineNegotiateAPIVersion(app, c.device, c.low, c.high, &version, &id), c.result)
            << std::hex << c.low << ".." << c.high;
        if (c.result == 0) {
            EXPECT_EQ(version, c.version);
        }
    }
}

TEST_F(Initialize, ExtensionsOnlyWhereTheProviderOffersThem)
{
    const HLINEAPP app = initialize("extensions");
    DWORD version = 0;
    LINEEXTENSIONID id{};
    ASSERT_EQ(lineNegotiateAPIVersion(app, 0, TAPI_VERSION1_0, TAPI_VERSION2_2, &version, &id), 0);
    EXPECT_NE(id.dwExtensionID0 | id.dwExtensionID1 | id.dwExtensionID2 | id.dwExtensionID3, 0u);
    DWORD ext = 0;
    EXPECT_EQ(lineNegotiateExtVersion(app, 0, version, 0x00010000, 0x00020000, &ext), 0);
    EXPECT_EQ(ext, 0x00010001u);
    EXPECT_EQ(lineNegotiateExtVersion(app, 0, version, 0x00030000, 0x00040000, &ext),
              LONG(LINEERR_INCOMPATIBLEEXTVERSION));
    EXPECT_EQ(lineNegotiateExtVersion(app, 1, version, 0x00010000, 0x00020000, &ext), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(lineNegotiateExtVersion(app, 0, 0x00030000, 0x00010000, 0x00020000, &ext),
              LONG(LINEERR_INCOMPATIBLEAPIVERSION));
}
