// The related devices of a closed line: defaults, the device-class setters with their
// trace lines, Comm.Enabled without a call, and the dumps.

#include "RelatedFixture.h"

#include <TapiConstants.h>
#include <TnvPropertyPath.h>
#include <TnvRelatedCommDevice.h>
#include <TnvRelatedPhoneDevice.h>
#include <TnvRelatedWaveDevice.h>

#include <ostream>

namespace {

struct ClassCase {
    const char* object; // its path and objectName
    const char* defaultClass;
};

void PrintTo(const ClassCase& c, std::ostream* os) { *os << c.object; }

class DeviceClassTest : public RelatedFixture, public ::testing::WithParamInterface<ClassCase> {
protected:
    QVariant read(const char* property) const
    {
        return TnvPropertyPath::read(&m_line, QLatin1String(GetParam().object) + QLatin1Char('.') + property);
    }
};

} // namespace

TEST_P(DeviceClassTest, ClosedLineTakesAnyClass)
{
    EXPECT_NE(m_line.findChild<QObject*>(QLatin1String(GetParam().object)), nullptr);
    EXPECT_EQ(read("DeviceClass").toString(), QLatin1String(GetParam().defaultClass));
    EXPECT_FALSE(read("Available").toBool());

    m_line.ReportResult(false, qint32(LINEERR_OPERATIONFAILED));
    mark();
    const QString path = QLatin1String(GetParam().object) + QStringLiteral(".DeviceClass");
    QStringList expected;
    for (const QString& value : {QStringLiteral("comm"), QString()}) {
        ASSERT_TRUE(TnvPropertyPath::write(&m_line, path, value));
        EXPECT_EQ(read("DeviceClass").toString(), value);
        expected << path + QStringLiteral(" := \"") + value + QLatin1Char('"');
    }
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(m_line.Error()->Number(), 0);
}

INSTANTIATE_TEST_SUITE_P(Related, DeviceClassTest,
                         ::testing::Values(ClassCase{"Comm", "comm/datamodem"}, ClassCase{"Phone", "tapi/phone"},
                                           ClassCase{"WavePlay", "wave/out"}, ClassCase{"WaveRecord", "wave/in"}),
                         [](const auto& info) { return std::string(info.param.object); });

TEST_F(RelatedFixture, CommEnabledWithoutACallOnlyWrites)
{
    TnvRelatedCommDevice* comm = m_line.Comm();
    comm->setEnabled(true);
    EXPECT_TRUE(comm->Enabled());
    comm->closeHandle();
    comm->setEnabled(false);
    EXPECT_EQ(written(), (QStringList{"Comm.Enabled := True", "Comm.Enabled := False"}));
    EXPECT_FALSE(comm->Available());
    EXPECT_EQ(comm->Handle(), 0u);
}

TEST_F(RelatedFixture, OnlyDataAndFaxCallsHaveADataPort)
{
    for (DWORD mode : {LINEMEDIAMODE_DATAMODEM, LINEMEDIAMODE_G3FAX, LINEMEDIAMODE_G4FAX,
                       LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM})
        EXPECT_TRUE(TnvRelatedCommDevice::hasDataPort(mode)) << mode;
    for (DWORD mode : {0u, LINEMEDIAMODE_INTERACTIVEVOICE, LINEMEDIAMODE_TDD, LINEMEDIAMODE_DIGITALDATA})
        EXPECT_FALSE(TnvRelatedCommDevice::hasDataPort(mode)) << mode;
}

TEST_F(RelatedFixture, RelatedDeviceDumps)
{
    m_line.Comm()->setEnabled(true);
    m_line.WaveRecord()->deny();
    m_line.Phone()->setDeviceClass(QStringLiteral("tapi/phone/x"));
    // Without a class nothing is asked: the denied device stays denied.
    m_line.WavePlay()->deny();
    m_line.WavePlay()->setDeviceClass(QString());
    m_line.WavePlay()->lookUp(1);
    EXPECT_EQ(m_line.WavePlay()->ID(), -2);
    m_line.WavePlay()->clear();
    mark();
    const QString tab = QStringLiteral("\t");
    m_line.Comm()->LogProperties(QString(), QString(), tab);
    m_line.Phone()->LogProperties(QString(), QString(), tab);
    m_line.WavePlay()->LogProperties(QString(), QString(), tab);
    m_line.WaveRecord()->LogProperties(QStringLiteral("Header"), QStringLiteral("nvLine1"), QString());
    EXPECT_EQ(written(), (QStringList{"\tComm.Available = False", "\tComm.Handle = 00000000",
                                      "\tComm.DeviceClass = 'comm/datamodem'", "\tComm.Enabled = True",
                                      "\tPhone.Available = False", "\tPhone.DeviceClass = 'tapi/phone/x'",
                                      "\tPhone.ID = 0", "\tWavePlay.Available = False", "\tWavePlay.ID = 0",
                                      "\tWavePlay.DeviceClass = ''", "Header",
                                      "nvLine1.WaveRecord.Available = False", "nvLine1.WaveRecord.ID = -2",
                                      "nvLine1.WaveRecord.DeviceClass = 'wave/in'"}));
}
