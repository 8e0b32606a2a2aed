// Stored settings applied by their dotted paths go through the setters.

#include "TestControl.h"

#include <TnvPropertyPath.h>

#include <gtest/gtest.h>

TEST(PropertyPath, AppliesStoredSettingsThroughTheirSetters)
{
    TestControl control;
    const QStringList refused = TnvPropertyPath::apply(&control, {
                                                                     {"Name", "nvLine1"},
                                                                     {"Vantage.DevEnv", "deCppBuilder"},
                                                                     {"Vantage.Log.Count", 100},
                                                                     {"Vantage.Log.TimeStamp", false},
                                                                     {"Vantage.Nothing", 1},
                                                                     {"Vantage.Log.Count", "many"},
                                                                     {"Vantage.DevEnv", "deNone"},
                                                                     {"Error.Number", 5},
                                                                 });
    EXPECT_EQ(refused, QStringList({"Vantage.Nothing", "Vantage.Log.Count", "Vantage.DevEnv", "Error.Number"}));
    EXPECT_EQ(control.objectName(), QStringLiteral("nvLine1"));
    EXPECT_EQ(control.Vantage()->DevEnv(), deCppBuilder);
    EXPECT_EQ(control.Log()->Count(), 100);
    EXPECT_EQ(control.Log()->Lines().mid(2),
              QStringList({"DevEnv = deCppBuilder", "Log->Count = 100 //Lines", "Log->TimeStamp = False"}));

    EXPECT_EQ(TnvPropertyPath::read(&control, QStringLiteral("Vantage.Log.Count")).toInt(), 100);
    EXPECT_EQ(TnvPropertyPath::read(&control, QStringLiteral("Vantage.DevEnv")).toInt(), int(deCppBuilder));
    EXPECT_FALSE(TnvPropertyPath::read(&control, QStringLiteral("Vantage.Log.Count.Deeper")).isValid());
    EXPECT_FALSE(TnvPropertyPath::read(&control, QString()).isValid());
    EXPECT_TRUE(TnvPropertyPath::write(&control, QStringLiteral("Vantage.DevEnv"), 1));
    EXPECT_EQ(control.Vantage()->DevEnv(), deDelphi);
}

// Found by fuzzing: a stored number that is none of an enumeration's values was written
// into the setting as it was.
TEST(PropertyPath, AnEnumerationTakesOnlyItsOwnValues)
{
    TestControl control;
    ASSERT_TRUE(TnvPropertyPath::write(&control, QStringLiteral("Vantage.DevEnv"), int(deCppBuilder)));
    for (const QVariant& value : {QVariant(65539), QVariant(-1), QVariant(QStringLiteral("65539")), QVariant(1.5e10)}) {
        SCOPED_TRACE(value.toString().toStdString());
        EXPECT_FALSE(TnvPropertyPath::write(&control, QStringLiteral("Vantage.DevEnv"), value));
        EXPECT_EQ(control.Vantage()->DevEnv(), deCppBuilder);
    }
}

// Paths come from stored files: a mangled one names nothing and changes nothing.
TEST(PropertyPath, MangledPathsNameNothing)
{
    TestControl control;
    const QString nul = QStringLiteral("Vantage.DevEnv") + QChar(0) + QStringLiteral("x");
    for (const QString& path : {QStringLiteral("Vantage..DevEnv"), QStringLiteral(".Vantage.DevEnv"),
                                QStringLiteral("Vantage.DevEnv."), QStringLiteral("Vantage.D\u00e9vEnv"),
                                QStringLiteral("Vant\u0101ge.DevEnv"), nul, QStringLiteral(".")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(TnvPropertyPath::read(&control, path).isValid());
        EXPECT_FALSE(TnvPropertyPath::write(&control, path, int(deCppBuilder)));
    }
    EXPECT_EQ(control.Vantage()->DevEnv(), deDelphi);

    // Applied in a row, a mangled path must not borrow the owner a good one found.
    const QStringList refused = TnvPropertyPath::apply(&control, {{"Name", "first"},
                                                                  {".Name", "second"},
                                                                  {"Vantage.Log.Count", 60},
                                                                  {"Vantage..Log.Count", 70},
                                                                  {".Vantage.Log.Count", 80}});
    EXPECT_EQ(refused, QStringList({".Name", "Vantage..Log.Count", ".Vantage.Log.Count"}));
    EXPECT_EQ(control.objectName(), QStringLiteral("first"));
    EXPECT_EQ(control.Log()->Count(), 60);
}
