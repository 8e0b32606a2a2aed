// The dialing-locations dialog on the offscreen platform: edits reach the configuration
// (and its file) on OK only, and the preview follows the selected location.
#include "DialingLocations.h"
#include "TelephonyConfig.h"
#include "TestControl.h"
#include "TranslateDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Telephony;

namespace {

class TranslateDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_config = std::make_unique<TelephonyConfig>(m_dir.filePath(QStringLiteral("telephony.conf")));
        DialingLocation home;
        home.id = 1;
        home.name = QStringLiteral("Home");
        home.countryCode = 1;
        home.areaCode = QStringLiteral("425");
        home.longDistancePrefix = QStringLiteral("1");
        home.internationalPrefix = QStringLiteral("011");
        DialingLocation london;
        london.id = 2;
        london.name = QStringLiteral("London");
        london.countryCode = 44;
        london.areaCode = QStringLiteral("20");
        london.longDistancePrefix = QStringLiteral("0");
        london.internationalPrefix = QStringLiteral("00");
        ASSERT_TRUE(m_config->setLocations({home, london}));
    }

    template <typename T>
    static T* find(const QWidget& dialog, const char* name)
    {
        T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QString preview(const TranslateDialog& dialog) { return find<QLabel>(dialog, "labelPreview")->text(); }
    static QPushButton* okButton(const TranslateDialog& dialog) { return find<QPushButton>(dialog, "buttonOk"); }

    QTemporaryDir m_dir;
    std::unique_ptr<TelephonyConfig> m_config;
};

} // namespace

TEST_F(TranslateDialogTest, PreviewFollowsTheSelectedLocation)
{
    TranslateDialog dialog(*m_config, QStringLiteral("+1 (425) 555-0100"), nullptr);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return dialog.isVisible(); }));
    auto* list = find<QListWidget>(dialog, "listLocations");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);

    const struct {
        const char* label;
        int row;
        const char* field;
        const char* value;
        const char* expected;
    } steps[] = {
        {"home as it is", 0, nullptr, nullptr, "Dial as: 555-0100 (local call)"},
        {"London", 1, nullptr, nullptr, "Dial as: 00 1 425 555-0100 (international call)"},
        {"back home", 0, nullptr, nullptr, "Dial as: 555-0100 (local call)"},
        {"home moves area", 0, "editAreaCode", "206", "Dial as: 1 425 555-0100 (long distance call)"},
        {"outside line", 0, "editLongDistanceAccessCode", "8", "Dial as: 8 1 425 555-0100 (long distance call)"},
        {"call waiting off", 0, "editCancelCallWaiting", "*70", "Dial as: *70, 8 1 425 555-0100 (long distance call)"},
        {"incomplete location", 0, "editCountryCode", "", "Dial as: (complete this location first)"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.label);
        list->setCurrentRow(step.row);
        if (step.field)
            find<QLineEdit>(dialog, step.field)->setText(QString::fromLatin1(step.value));
        EXPECT_EQ(preview(dialog), QString::fromLatin1(step.expected));
    }

    auto* number = find<QLineEdit>(dialog, "editNumber");
    number->setText(QStringLiteral("555-0199"));
    list->setCurrentRow(1);
    EXPECT_EQ(preview(dialog), QStringLiteral("Dial as: 555-0199 (as entered)"));
    number->setText(QStringLiteral("+1 (42"));
    EXPECT_EQ(preview(dialog), QStringLiteral("Dial as: (not a valid number)"));
    number->clear();
    EXPECT_TRUE(preview(dialog).startsWith(QStringLiteral("Dial as: (type")));
}

TEST_F(TranslateDialogTest, OkStoresEditsAndSelection)
{
    TranslateDialog dialog(*m_config, QStringLiteral("+44 (20) 7946 0018"), nullptr);
    dialog.show();
    auto* list = find<QListWidget>(dialog, "listLocations");
    list->setCurrentRow(1);
    find<QLineEdit>(dialog, "editName")->setText(QStringLiteral("London office"));
    find<QLineEdit>(dialog, "editLocalAccessCode")->setText(QStringLiteral("9"));
    find<QRadioButton>(dialog, "radioPulse")->setChecked(true);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("London office"));
    saveScreenshot(&dialog, QStringLiteral("translate-dialog"));

    okButton(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_config->currentLocationId(), 2u);
    const DialingLocation london = m_config->currentLocation();
    EXPECT_EQ(london.name, QStringLiteral("London office"));
    EXPECT_EQ(london.localAccessCode, QStringLiteral("9"));
    EXPECT_TRUE(london.pulseDialing);

    TelephonyConfig saved(m_config->path());
    EXPECT_TRUE(saved.load());
    EXPECT_EQ(saved.locations(), m_config->locations());
    EXPECT_EQ(saved.currentLocationId(), 2u);
}

TEST_F(TranslateDialogTest, CancelLeavesTheConfigurationAlone)
{
    const QList<DialingLocation> before = m_config->locations();
    TranslateDialog dialog(*m_config, QString(), nullptr);
    dialog.show();
    find<QListWidget>(dialog, "listLocations")->setCurrentRow(1);
    find<QLineEdit>(dialog, "editAreaCode")->setText(QStringLiteral("161"));
    find<QPushButton>(dialog, "buttonAdd")->click();
    find<QPushButton>(dialog, "buttonCancel")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(m_config->locations(), before);
    EXPECT_EQ(m_config->currentLocationId(), 1u);
    EXPECT_FALSE(QFile::exists(m_config->path()));
}

TEST_F(TranslateDialogTest, InvalidFieldsBlockOk)
{
    TranslateDialog dialog(*m_config, QString(), nullptr);
    dialog.show();
    auto* problem = find<QLabel>(dialog, "labelProblem");
    EXPECT_TRUE(okButton(dialog)->isEnabled());
    EXPECT_FALSE(problem->isVisible());

    const struct {
        const char* field;
        const char* bad;
    } fields[] = {{"editName", "   "}, {"editCountryCode", ""}};
    for (const auto& f : fields) {
        SCOPED_TRACE(f.field);
        auto* edit = find<QLineEdit>(dialog, f.field);
        const QString good = edit->text();
        edit->setText(QString::fromLatin1(f.bad));
        EXPECT_FALSE(okButton(dialog)->isEnabled());
        EXPECT_TRUE(problem->isVisible());
        dialog.accept(); // must not slip past the disabled button
        EXPECT_TRUE(dialog.isVisible());
        edit->setText(good);
        EXPECT_TRUE(okButton(dialog)->isEnabled());
    }

    // Validators refuse characters a code may never hold.
    const struct {
        const char* field;
        const char* typed;
        const char* kept;
    } typing[] = {
        {"editCountryCode", "0", ""}, {"editCountryCode", "4a", "4"}, {"editAreaCode", "2x0", "20"},
        {"editLocalAccessCode", "9,*#p", "9,*#"},
    };
    for (const auto& t : typing) {
        SCOPED_TRACE(t.typed);
        auto* edit = find<QLineEdit>(dialog, t.field);
        edit->clear();
        for (QChar c : QString::fromLatin1(t.typed))
            edit->insert(c);
        EXPECT_EQ(edit->text(), QString::fromLatin1(t.kept));
    }
}

TEST_F(TranslateDialogTest, AddRenameAndRemove)
{
    TranslateDialog dialog(*m_config, QString(), nullptr);
    dialog.show();
    auto* list = find<QListWidget>(dialog, "listLocations");
    auto* remove = find<QPushButton>(dialog, "buttonRemove");

    find<QPushButton>(dialog, "buttonAdd")->click();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(find<QLineEdit>(dialog, "editName")->text(), QStringLiteral("New location"));
    EXPECT_EQ(dialog.locations().at(2).id, 3u);
    EXPECT_EQ(dialog.locations().at(2).areaCode, QStringLiteral("425")) << "copies the location it was made from";

    list->item(2)->setText(QStringLiteral("Cabin"));
    EXPECT_EQ(find<QLineEdit>(dialog, "editName")->text(), QStringLiteral("Cabin"));

    list->setCurrentRow(0);
    remove->click();
    remove->click();
    ASSERT_EQ(list->count(), 1);
    EXPECT_FALSE(remove->isEnabled()) << "the last location stays";
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Cabin"));

    okButton(dialog)->click();
    ASSERT_EQ(m_config->locations().size(), 1);
    EXPECT_EQ(m_config->currentLocation().name, QStringLiteral("Cabin"));
    EXPECT_EQ(m_config->currentLocationId(), 3u);
}

TEST_F(TranslateDialogTest, AFileThatDidNotLoadIsNotOverwrittenByOk)
{
    const QByteArray stored = "[location 1]\nname = Caf\xe9\ncountryCode = 33\n";
    {
        QFile file(m_config->path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    TelephonyConfig config(m_config->path());
    EXPECT_FALSE(config.load());
    TranslateDialog dialog(config, QString(), nullptr);
    dialog.show();
    find<QLineEdit>(dialog, "editAreaCode")->setText(QStringLiteral("161"));
    okButton(dialog)->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    auto* problem = find<QLabel>(dialog, "labelProblem");
    EXPECT_TRUE(problem->isVisible());
    EXPECT_TRUE(problem->text().contains(QLatin1String("not UTF-8 text (byte 0xe9 on line 2)")))
        << problem->text().toStdString();
    EXPECT_TRUE(config.locations().first().areaCode.isEmpty()) << "memory keeps what the file holds";
    QFile file(m_config->path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), stored);
}
