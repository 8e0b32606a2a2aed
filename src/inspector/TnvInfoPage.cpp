#include "TnvInfoPage.h"

#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvSplitPanes.h"
#include "TnvTreeRows.h"

#include <TnvError.h>
#include <TnvNotation.h>
#include <TnvSharedControl.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

TnvInfoPage::TnvInfoPage(TnvSharedControl* control, TnvTAPI* tapi, QWidget* parent)
    : QWidget(parent)
    , m_control(control)
    , m_tapi(tapi)
    , m_kind(TnvSharedControl::KindText(control->Kind()))
{
    setObjectName(QStringLiteral("TabSheetInfo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    PanelMiscTab = new QWidget(this);
    PanelMiscTab->setObjectName(QStringLiteral("PanelMiscTab"));
    layout->addWidget(PanelMiscTab);

    TreeViewInfo = new QTreeWidget;
    TreeViewInfo->setObjectName(QStringLiteral("TreeViewInfo"));
    TreeViewInfo->setToolTip(m_kind + QStringLiteral(" Information"));
    TreeViewInfo->setHeaderHidden(true);
    TreeViewInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_fields = new QWidget;
    m_column = new QVBoxLayout(m_fields);
    m_column->setContentsMargins(6, 4, 6, 4);
    m_column->setSpacing(1);
    ScrollBoxInfo = nullptr;
    SplitterInfoTab = nullptr;
}

std::pair<QLabel*, QLineEdit*> TnvInfoPage::addField(const QString& labelName, const QString& editName,
                                                      const QString& caption)
{
    auto* label = new QLabel(caption, m_fields);
    label->setObjectName(labelName);
    auto* edit = new QLineEdit(m_fields);
    edit->setObjectName(editName);
    edit->setToolTip(m_kind + QLatin1Char('.') + caption);
    label->setToolTip(edit->toolTip());
    m_column->addWidget(label);
    m_column->addWidget(edit);
    m_column->addSpacing(3);
    return {label, edit};
}

void TnvInfoPage::addTapiFields()
{
    const auto tapiEdit = [&](const char* member) {
        const QString name = QLatin1String(member);
        return addField(QStringLiteral("LabelTAPI") + name, QStringLiteral("EditTAPI") + name, QStringLiteral("TAPI.") + name)
            .second;
    };
    EditTAPIExtensionHighVersion = tapiEdit("ExtensionHighVersion");
    EditTAPIExtensionLowVersion = tapiEdit("ExtensionLowVersion");
    EditTAPIHighVersion = tapiEdit("HighVersion");
    EditTAPILowVersion = tapiEdit("LowVersion");
    EditTAPIReplyTimeout = tapiEdit("ReplyTimeout");
    TnvTAPI* tapi = m_tapi;
    wire(EditTAPIExtensionHighVersion, [tapi](const QString& text) {
        tapi->setExtensionHighVersion(TnvEditRules::readHexOr(text, tapi->ExtensionHighVersion()));
    });
    wire(EditTAPIExtensionLowVersion, [tapi](const QString& text) {
        tapi->setExtensionLowVersion(TnvEditRules::readHexOr(text, tapi->ExtensionLowVersion()));
    });
    wire(EditTAPIHighVersion,
         [tapi](const QString& text) { tapi->setHighVersion(TnvEditRules::readHexOr(text, tapi->HighVersion())); });
    wire(EditTAPILowVersion,
         [tapi](const QString& text) { tapi->setLowVersion(TnvEditRules::readHexOr(text, tapi->LowVersion())); });
    wire(EditTAPIReplyTimeout,
         [tapi](const QString& text) { tapi->setReplyTimeout(TnvEditRules::readDecimalOr(text, tapi->ReplyTimeout())); });
}

void TnvInfoPage::wire(QLineEdit* edit, std::function<void(const QString&)> setter)
{
    TnvEditRules::onLeavingIfModified(
        edit,
        [this, setter = std::move(setter)](const QString& text) {
            if (m_control)
                setter(text);
        },
        [this] {
            if (m_control)
                refresh();
        });
}

void TnvInfoPage::finishFields()
{
    m_column->addStretch();
    ScrollBoxInfo = new QScrollArea;
    ScrollBoxInfo->setObjectName(QStringLiteral("ScrollBoxInfo"));
    ScrollBoxInfo->setWidget(m_fields);
    SplitterInfoTab = TnvSplitPanes::make(QStringLiteral("SplitterInfoTab"), TreeViewInfo, ScrollBoxInfo, PanelMiscTab);
    auto* panelLayout = new QVBoxLayout(PanelMiscTab);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(SplitterInfoTab);
}

void TnvInfoPage::notateFields(std::initializer_list<std::pair<QLabel*, QLineEdit*>> fields,
                               std::initializer_list<const char*> names)
{
    TnvVantage* vantage = m_control->Vantage();
    auto name = names.begin();
    for (auto field = fields.begin(); field != fields.end() && name != names.end(); ++field, ++name) {
        const QString text = QLatin1String(*name);
        field->first->setText(vantage->Notate(text));
        const QString hint = vantage->Notate(m_kind + QLatin1Char('~') + text);
        field->first->setToolTip(hint);
        field->second->setToolTip(hint);
    }
}

void TnvInfoPage::refreshTapiEdits()
{
    TnvQuietWriter::setText(EditTAPIExtensionHighVersion, TnvNotation::hex8(m_tapi->ExtensionHighVersion()));
    TnvQuietWriter::setText(EditTAPIExtensionLowVersion, TnvNotation::hex8(m_tapi->ExtensionLowVersion()));
    TnvQuietWriter::setText(EditTAPIHighVersion, TnvNotation::hex8(m_tapi->HighVersion()));
    TnvQuietWriter::setText(EditTAPILowVersion, TnvNotation::hex8(m_tapi->LowVersion()));
    TnvQuietWriter::setText(EditTAPIReplyTimeout, QString::number(m_tapi->ReplyTimeout()));
}

void TnvInfoPage::addErrorRows(TnvTreeRows& rows)
{
    const TnvError* error = m_control->Error();
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Error"));
    rows.row(root, QStringLiteral("Hex = ") + error->Hex());
    rows.decimalRow(root, QStringLiteral("Number"), error->Number());
    rows.row(root, QStringLiteral("Text = ") + error->Text());
}

void TnvInfoPage::addTapiRows(TnvTreeRows& rows)
{
    const TnvTAPI* tapi = m_tapi;
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("TAPI"));
    rows.hexRow(root, QStringLiteral("ExtensionID0"), tapi->ExtensionID0());
    rows.hexRow(root, QStringLiteral("ExtensionID1"), tapi->ExtensionID1());
    rows.hexRow(root, QStringLiteral("ExtensionID2"), tapi->ExtensionID2());
    rows.hexRow(root, QStringLiteral("ExtensionID3"), tapi->ExtensionID3());
    rows.hexRow(root, QStringLiteral("ExtensionHighVersion"), tapi->ExtensionHighVersion());
    rows.hexRow(root, QStringLiteral("ExtensionLowVersion"), tapi->ExtensionLowVersion());
    rows.hexRow(root, QStringLiteral("ExtensionVersion"), tapi->ExtensionVersion());
    rows.hexRow(root, QStringLiteral("HighVersion"), tapi->HighVersion());
    rows.hexRow(root, QStringLiteral("LowVersion"), tapi->LowVersion());
    rows.decimalRow(root, QStringLiteral("ReplyTimeout"), tapi->ReplyTimeout());
    rows.row(root, QStringLiteral("TSP = '") + tapi->TSP() + QLatin1Char('\''));
    rows.hexRow(root, QStringLiteral("Version"), tapi->Version());
}
