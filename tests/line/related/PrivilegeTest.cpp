// Privilege flags of a closed line: the exclusion rules, the trace lines, the value
// lineOpen is given, and the dump.

#include "RelatedFixture.h"

#include <TapiConstants.h>
#include <TnvPrivilege.h>
#include <TnvPropertyPath.h>

#include <ostream>
#include <vector>

namespace {

struct PrivilegeCase {
    const char* title;
    std::vector<std::pair<const char*, bool>> steps; // property, value
    bool none, monitor, owner;
    DWORD openPrivileges;
};

void PrintTo(const PrivilegeCase& c, std::ostream* os) { *os << c.title; }

class PrivilegeTest : public RelatedFixture, public ::testing::WithParamInterface<PrivilegeCase> {};

} // namespace

TEST_P(PrivilegeTest, AssignmentsFollowTheExclusionRules)
{
    const PrivilegeCase& c = GetParam();
    // Each assignment starts a new operation: an earlier error goes.
    m_line.ReportResult(false, qint32(LINEERR_OPERATIONFAILED));
    mark();
    QStringList expected;
    for (const auto& [name, value] : c.steps) {
        // Through the property path, as stored settings are applied.
        ASSERT_TRUE(TnvPropertyPath::write(&m_line, QStringLiteral("Privilege.") + QLatin1String(name), value));
        expected << QStringLiteral("Device.Privilege.%1 := %2").arg(QLatin1String(name), value ? "True" : "False");
    }
    EXPECT_EQ(written(), expected);
    const TnvPrivilege* p = m_line.Privilege();
    EXPECT_EQ(p->None(), c.none);
    EXPECT_EQ(p->Monitor(), c.monitor);
    EXPECT_EQ(p->Owner(), c.owner);
    EXPECT_EQ(p->lineOpenPrivileges(), c.openPrivileges);
    EXPECT_EQ(m_line.Error()->Number(), c.steps.empty() ? qint32(LINEERR_OPERATIONFAILED) : 0);
}

constexpr DWORD kMonitor = LINECALLPRIVILEGE_MONITOR;
constexpr DWORD kOwner = LINECALLPRIVILEGE_OWNER;

INSTANTIATE_TEST_SUITE_P(
    Combinations, PrivilegeTest,
    ::testing::Values(PrivilegeCase{"Defaults", {}, false, true, true, kMonitor | kOwner},
                      PrivilegeCase{"NoneClearsBoth", {{"None", true}}, true, false, false, LINECALLPRIVILEGE_NONE},
                      PrivilegeCase{"OwnerClearsNone", {{"None", true}, {"Owner", true}}, false, false, true, kOwner},
                      PrivilegeCase{"MonitorClearsNone", {{"None", true}, {"Monitor", true}}, false, true, false,
                                    kMonitor},
                      PrivilegeCase{"ClearingMonitorKeepsOwner", {{"Monitor", false}}, false, false, true, kOwner},
                      PrivilegeCase{"AllClearedOpensWithZero", {{"Monitor", false}, {"Owner", false}}, false, false,
                                    false, 0},
                      PrivilegeCase{"ClearingNoneSetsNothing", {{"None", true}, {"None", false}}, false, false, false,
                                    0},
                      PrivilegeCase{"SameValueIsWrittenAgain", {{"Owner", true}, {"None", false}}, false, true, true,
                                    kMonitor | kOwner}),
    [](const ::testing::TestParamInfo<PrivilegeCase>& info) { return std::string(info.param.title); });

TEST_F(RelatedFixture, PrivilegeDumpListsMonitorNoneOwner)
{
    m_line.Privilege()->setNone(true);
    mark();
    EXPECT_TRUE(m_line.Privilege()->LogProperties(QString(), QString(), QStringLiteral("\t")));
    EXPECT_EQ(written(), (QStringList{"\tPrivilege.Monitor = False", "\tPrivilege.None = True",
                                      "\tPrivilege.Owner = False"}));
}
