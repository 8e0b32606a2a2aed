// The stored description of nvLine1 reaches the control: every path names a setting, and
// the values read back as stored.

#include "DialerHarness.h"

#include <TnvDialerDescription.h>
#include <TnvLine.h>
#include <TnvPropertyPath.h>

#include <cstdio>

namespace {

class Description : public DialerHarness {};

} // namespace

TEST_F(Description, EverySettingAppliesAndReadsBack)
{
    TnvLine line;
    line.BeginLoading();
    const TnvDialerDescription::Settings settings = TnvDialerDescription::settings();
    const QStringList refused = TnvPropertyPath::apply(&line, settings);
    line.Loaded();
    EXPECT_TRUE(refused.isEmpty()) << "refused: " << refused.join(QLatin1Char(' ')).toStdString();

    for (const auto& [path, value] : settings) {
        if (path == QLatin1String("Vantage.DevEnv"))
            continue;
        SCOPED_TRACE(path.toStdString());
        const QVariant read = TnvPropertyPath::read(&line, path);
        ASSERT_TRUE(read.isValid());
        EXPECT_EQ(read.toString(), value.toString());
    }
    EXPECT_EQ(line.Name(), QStringLiteral("nvLine1"));
    EXPECT_EQ(line.Vantage()->DevEnv(), deDelphi);
    EXPECT_EQ(line.Device()->Count(), 3);
}

TEST_F(Description, OverrideReplacesOnlyKnownPaths)
{
    TnvDialerDescription::Settings settings = TnvDialerDescription::settings();
    EXPECT_TRUE(TnvDialerDescription::override(settings, QStringLiteral("Vantage.Log.TimeStamp"), true));
    EXPECT_FALSE(TnvDialerDescription::override(settings, QStringLiteral("Vantage.NoSuch"), true));
    EXPECT_EQ(settings.size(), TnvDialerDescription::settings().size());
}
