// The gathering and monitoring settings as per-call state: each call keeps its own,
// a new call starts with every service off, and the settings are reachable by their
// dotted names and listed in the property dump.

#include "DigitsFixture.h"

#include <TnvPropertyPath.h>

#include <QMetaProperty>

namespace {

class DetectionSettings : public DigitsFixture {};

struct Visible {
    bool gather;
    qint32 count;
    bool digits;
    quint32 mediaModes;
    qint32 duration;

    bool operator==(const Visible&) const = default;
};

void PrintTo(const Visible& v, std::ostream* os)
{
    *os << "{gather " << v.gather << ", count " << v.count << ", digits " << v.digits << ", media " << v.mediaModes
        << ", duration " << v.duration << "}";
}

} // namespace

TEST_F(DetectionSettings, FollowTheSelectedCall)
{
    const HCALL first = connect("5550109");
    ASSERT_NE(first, 0u);
    const auto visible = [this] {
        return Visible{call()->GatherDigits()->Active(), call()->GatherDigits()->Count(),
                       call()->MonitorDigits()->Active(), call()->MonitorMediaModes()->MediaModes(),
                       call()->MonitorSilence()->Duration()};
    };
    call()->GatherDigits()->setCount(7);
    call()->MonitorDigits()->setActive(true);
    call()->MonitorMediaModes()->setMediaModes(LINEMEDIAMODE_G3FAX);
    call()->MonitorSilence()->setDuration(400);
    const Visible firstSettings{false, 7, true, LINEMEDIAMODE_G3FAX, 400};
    ASSERT_EQ(visible(), firstSettings);

    // A second call arrives: it takes the settings over with every service off.
    HCALL second = 0;
    m_line->OnCallBegin = [&](TnvSharedControl*, int handle) { second = HCALL(handle); };
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("ring"), {{"line", 1}, {"number", "5550199"}})
                    .value("ok")
                    .toBool());
    ASSERT_TRUE(waitUntil([&] { return second != 0; }));
    EXPECT_EQ(call()->Handle(), first);
    EXPECT_EQ(visible(), firstSettings);
    const TnvCallRecord* arrived = records().find(second);
    ASSERT_NE(arrived, nullptr);
    EXPECT_FALSE(arrived->gatherActive || arrived->monitorDigitsActive || arrived->monitorMediaActive
                 || arrived->monitorSilenceActive);
    EXPECT_EQ(arrived->gatherCount, 7);

    call()->setHandle(second);
    ASSERT_EQ(call()->Handle(), second);
    const Visible secondSettings{false, 7, false, LINEMEDIAMODE_G3FAX, 400};
    EXPECT_EQ(visible(), secondSettings);
    call()->GatherDigits()->setCount(9);
    call()->MonitorSilence()->setDuration(100);

    call()->setHandle(first);
    EXPECT_EQ(visible(), firstSettings);
    call()->setHandle(second);
    EXPECT_EQ(visible(), (Visible{false, 9, false, LINEMEDIAMODE_G3FAX, 100}));
}

TEST_F(DetectionSettings, StoredSettingsHaveDottedNames)
{
    const QStringList refused = TnvPropertyPath::apply(m_line.get(), {{"Call.GatherDigits.Count", 12},
                                                                       {"Call.GatherDigits.Terminate", "*"},
                                                                       {"Call.GatherDigits.Timeout", 2500},
                                                                       {"Call.MonitorMediaModes.MediaModes", 0x20},
                                                                       {"Call.MonitorSilence.Duration", 800}});
    EXPECT_TRUE(refused.isEmpty()) << refused.join(' ').toStdString();
    EXPECT_EQ(TnvPropertyPath::read(m_line.get(), QStringLiteral("Call.GatherDigits.Count")).toInt(), 12);
    EXPECT_EQ(call()->GatherDigits()->Terminate(), QStringLiteral("*"));
    EXPECT_EQ(call()->GatherDigits()->Timeout(), 2500);
    EXPECT_EQ(call()->MonitorMediaModes()->MediaModes(), 0x20u);
    EXPECT_EQ(call()->MonitorSilence()->Duration(), 800);

    // The running state belongs to a call and is never stored.
    for (QObject* object : std::initializer_list<QObject*>{call()->GatherDigits(), call()->MonitorDigits(),
                                                          call()->MonitorMediaModes(), call()->MonitorSilence()}) {
        const QMetaObject* meta = object->metaObject();
        const QMetaProperty active = meta->property(meta->indexOfProperty("Active"));
        ASSERT_TRUE(active.isValid()) << meta->className();
        EXPECT_FALSE(active.isStored()) << meta->className();
    }
}

TEST_F(DetectionSettings, DumpListsEveryValue)
{
    call()->MonitorMediaModes()->setMediaModes(LINEMEDIAMODE_G3FAX);
    takeTrace();
    ASSERT_TRUE(TnvLinePrivate::get(m_line.get())->logDetection(QString(), QStringLiteral("\t")));
    QStringList trace = takeTrace();
    const qsizetype first = trace.indexOf(QStringLiteral("\tGatherDigits.Active = False"));
    ASSERT_GE(first, 0) << trace.join('\n').toStdString();
    EXPECT_EQ(trace.mid(first), QStringList({"\tGatherDigits.Active = False", "\tGatherDigits.Count = 5",
                                             "\tGatherDigits.Terminate = '#*'", "\tGatherDigits.Timeout = 5000",
                                             "\tMonitorDigits.Active = False", "\tMonitorMediaModes.Active = False",
                                             "\tMonitorMediaModes.MediaModes = [00000020]",
                                             "\t\tLINEMEDIAMODE_G3FAX", "\tMonitorSilence.Active = False",
                                             "\tMonitorSilence.Duration = 0"}));

    // With the log off nothing is written.
    m_line->Log()->setActive(false);
    takeTrace();
    EXPECT_FALSE(call()->GatherDigits()->LogProperties(QString(), QString(), QStringLiteral("\t")));
    EXPECT_TRUE(takeTrace().isEmpty());
}
