// Version settings: their defaults, their dump and what a shutdown forgets.

#include "TestControl.h"

#include <TnvTAPI.h>

#include <gtest/gtest.h>

TEST(TAPISettings, DefaultsDumpInOrder)
{
    TestControl control;
    TnvTAPI tapi(&control);
    const qsizetype from = control.Log()->Lines().size();
    EXPECT_TRUE(tapi.LogProperties(QString(), QString(), QStringLiteral("\t")));
    EXPECT_EQ(control.Log()->Lines().mid(from), QStringList({
                                                    "\tTAPI.ExtensionHighVersion = [00000000]",
                                                    "\tTAPI.ExtensionID0 = [00000000]",
                                                    "\tTAPI.ExtensionID1 = [00000000]",
                                                    "\tTAPI.ExtensionID2 = [00000000]",
                                                    "\tTAPI.ExtensionID3 = [00000000]",
                                                    "\tTAPI.ExtensionLowVersion = [00000000]",
                                                    "\tTAPI.ExtensionVersion = [00000000]",
                                                    "\tTAPI.HighVersion = [00020002]",
                                                    "\tTAPI.LowVersion = [00010003]",
                                                    "\tTAPI.ReplyTimeout = 60000",
                                                    "\tTAPI.TSP = ''",
                                                    "\tTAPI.Version = [00000000]",
                                                }));
    control.Log()->setActive(false);
    EXPECT_FALSE(tapi.LogProperties(QStringLiteral("header"), QString(), QString()));
}

TEST(TAPISettings, ResetForgetsNegotiationButKeepsTheOfferedWindow)
{
    TestControl control;
    TnvTAPI tapi(&control);
    tapi.setLowVersion(0x10004);
    tapi.setHighVersion(0x20000);
    tapi.setExtensionLowVersion(0x1);
    tapi.setExtensionHighVersion(0x2);
    tapi.setReplyTimeout(0);
    tapi.setVersion(0x20000);
    tapi.setExtensionVersion(0x2);
    tapi.setExtensionID(1, 2, 3, 4);
    tapi.setTSP(QStringLiteral("Simulated"));
    const qsizetype lines = control.Log()->Lines().size();

    tapi.ResetState();
    EXPECT_EQ(tapi.Version(), 0u);
    EXPECT_EQ(tapi.ExtensionVersion(), 0u);
    EXPECT_EQ(tapi.ExtensionHighVersion(), 0u);
    EXPECT_EQ(tapi.ExtensionID3(), 0u);
    EXPECT_TRUE(tapi.TSP().isEmpty());
    EXPECT_EQ(tapi.LowVersion(), 0x10004u);
    EXPECT_EQ(tapi.HighVersion(), 0x20000u);
    EXPECT_EQ(tapi.ExtensionLowVersion(), 0x1u);
    EXPECT_EQ(tapi.ReplyTimeout(), 0);
    // The settings write no trace lines of their own.
    EXPECT_EQ(control.Log()->Lines().size(), lines);
}
