// The provider configuration dialog: one editor per value type, values handed back in
// the type they came in.
#include "ConfigDialog.h"
#include "TestControl.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace Telephony;

TEST(ConfigDialogTest, EditsEachTypeWithItsOwnEditor)
{
    const QVariantMap settings{
        {QStringLiteral("pacing"), 1.0},
        {QStringLiteral("autoAnswer"), false},
        {QStringLiteral("ringCount"), 3},
        {QStringLiteral("host"), QStringLiteral("pbx.example")},
        {QStringLiteral("ratio"), 0.25f},
    };
    ConfigDialog dialog(QStringLiteral("Simulated line 1\n"), settings, nullptr);
    dialog.show();
    ASSERT_TRUE(waitUntil([&] { return dialog.isVisible(); }));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure Simulated line 1"));
    EXPECT_EQ(dialog.settings(), settings) << "untouched settings come back as they were";

    auto* pacing = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("setting_pacing"));
    auto* autoAnswer = dialog.findChild<QCheckBox*>(QStringLiteral("setting_autoAnswer"));
    auto* ringCount = dialog.findChild<QSpinBox*>(QStringLiteral("setting_ringCount"));
    auto* host = dialog.findChild<QLineEdit*>(QStringLiteral("setting_host"));
    auto* ratio = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("setting_ratio"));
    ASSERT_TRUE(pacing && autoAnswer && ringCount && host && ratio);
    EXPECT_EQ(ratio->decimals(), 2);
    EXPECT_DOUBLE_EQ(ratio->value(), 0.25);

    // Rows follow the sorted keys.
    auto* form = dialog.findChild<QFormLayout*>();
    ASSERT_NE(form, nullptr);
    QStringList order;
    for (int row = 0; row < form->rowCount(); ++row)
        order << form->itemAt(row, QFormLayout::FieldRole)->widget()->objectName();
    EXPECT_EQ(order, QStringList({"setting_autoAnswer", "setting_host", "setting_pacing", "setting_ratio",
                                  "setting_ringCount"}));

    pacing->setValue(2.5);
    autoAnswer->setChecked(true);
    ringCount->setValue(7);
    host->setText(QStringLiteral("10.0.0.2"));
    ratio->setValue(0.5);
    saveScreenshot(&dialog, QStringLiteral("config-dialog"));

    const QVariantMap edited = dialog.settings();
    const QVariantMap expected{
        {QStringLiteral("pacing"), 2.5},
        {QStringLiteral("autoAnswer"), true},
        {QStringLiteral("ringCount"), 7},
        {QStringLiteral("host"), QStringLiteral("10.0.0.2")},
        {QStringLiteral("ratio"), 0.5f},
    };
    EXPECT_EQ(edited, expected);
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        EXPECT_EQ(edited.value(it.key()).typeId(), it.value().typeId()) << it.key().toStdString();
}

TEST(ConfigDialogTest, EmptySettingsAreReadOnly)
{
    ConfigDialog dialog(QStringLiteral("Modem"), {}, nullptr);
    dialog.show();
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("labelNoSettings"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("This device has no settings."));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("buttonCancel")), nullptr);
    EXPECT_TRUE(dialog.settings().isEmpty());
    saveScreenshot(&dialog, QStringLiteral("config-dialog-empty"));

    dialog.findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(ConfigDialogTest, UneditableValuesPassThrough)
{
    const QVariantMap settings{{QStringLiteral("codecs"), QStringList{"pcmu", "pcma"}},
                               {QStringLiteral("port"), 5060}};
    ConfigDialog dialog(QString(), settings, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure Line device"));
    dialog.findChild<QSpinBox*>(QStringLiteral("setting_port"))->setValue(5061);
    const QVariantMap edited = dialog.settings();
    EXPECT_EQ(edited.value(QStringLiteral("codecs")), settings.value(QStringLiteral("codecs")));
    EXPECT_EQ(edited.value(QStringLiteral("port")), QVariant(5061));
}

TEST(ConfigDialogTest, NewPasswordsAreTypedBlindAndNeverShown)
{
    // Even a value the provider should never have sent is not shown.
    const QVariantMap settings{{QStringLiteral("account1.newPassword"), QStringLiteral("leaked")},
                               {QStringLiteral("account1.passwordFile"), QStringLiteral("/home/a/.sip")}};
    ConfigDialog dialog(QString(), settings, nullptr);
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("setting_account1.newPassword"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("setting_account1.passwordFile"))->echoMode(),
              QLineEdit::Normal);
    edit->setText(QStringLiteral("Sesame-42"));
    EXPECT_EQ(dialog.settings().value(QStringLiteral("account1.newPassword")), QVariant(QStringLiteral("Sesame-42")));
}
