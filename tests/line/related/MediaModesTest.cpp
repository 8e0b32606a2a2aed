// The device's media-mode sets: plain values without trace lines, dumped as three flag
// sets over the media-mode bits 0x2 to 0x8000.

#include "RelatedFixture.h"

#include <TapiConstants.h>
#include <TnvLineDevice.h>
#include <TnvMediaModes.h>
#include <TnvPropertyPath.h>

TEST_F(RelatedFixture, MediaModesAreStoredSilentlyAndDumped)
{
    TnvMediaModes* modes = m_line.Device()->MediaModes();
    ASSERT_TRUE(TnvPropertyPath::write(&m_line, QStringLiteral("Device.MediaModes.Active"),
                                       LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM));
    // Bit 0 and the bits above VIDEO lie outside the listed range: only the value shows them.
    modes->setAvailable(0x10001 | LINEMEDIAMODE_UNKNOWN | LINEMEDIAMODE_VIDEO);
    modes->setOpen(0);
    EXPECT_TRUE(written().isEmpty());

    EXPECT_TRUE(modes->LogProperties(QString(), QStringLiteral("Device"), QStringLiteral("\t")));
    EXPECT_EQ(written(), (QStringList{"\tDevice.MediaModes.Open = [00000000]",
                                      "\tDevice.MediaModes.Available = [00018003]",
                                      "\t\tLINEMEDIAMODE_UNKNOWN",
                                      "\t\tLINEMEDIAMODE_VIDEO",
                                      "\tDevice.MediaModes.Active = [00000014]",
                                      "\t\tLINEMEDIAMODE_INTERACTIVEVOICE",
                                      "\t\tLINEMEDIAMODE_DATAMODEM"}));
    modes->clear();
    EXPECT_EQ(modes->Active() | modes->Available() | modes->Open(), 0u);
}
