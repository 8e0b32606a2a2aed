#include "TranslateDialog.h"

#include "DialingLocations.h"
#include "LocationForm.h"
#include "LocationStore.h"
#include "TapiConstants.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Telephony {

namespace {

// Only the first line of an address is translated; the rest would not fit the field.
QString firstLine(const QString& address)
{
    qsizetype end = 0;
    while (end < address.size() && address[end] != QLatin1Char('\r') && address[end] != QLatin1Char('\n'))
        ++end;
    return address.left(std::min<qsizetype>(end, DialingLocations::maxAddressLength));
}

} // namespace

TranslateDialog::TranslateDialog(LocationStore& store, const QString& address, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
    , m_locations(store.locations())
{
    setObjectName(QStringLiteral("TranslateDialog"));
    setWindowTitle(tr("Dialing Locations"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listLocations"));
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    auto* listLabel = new QLabel(tr("I am &dialing from:"), this);
    listLabel->setBuddy(m_list);

    m_add = new QPushButton(tr("&New"), this);
    m_add->setObjectName(QStringLiteral("buttonAdd"));
    m_remove = new QPushButton(tr("&Remove"), this);
    m_remove->setObjectName(QStringLiteral("buttonRemove"));
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_add);
    listButtons->addWidget(m_remove);
    listButtons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(m_list, 1);
    left->addLayout(listButtons);

    m_form = new LocationForm(this);
    m_form->setObjectName(QStringLiteral("formLocation"));
    auto* rules = new QGroupBox(tr("Dialing rules of this location"), this);
    rules->setObjectName(QStringLiteral("groupRules"));
    auto* rulesLayout = new QVBoxLayout(rules);
    rulesLayout->addWidget(m_form);
    rulesLayout->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addWidget(rules, 3);

    m_number = new QLineEdit(firstLine(address), this);
    m_number->setObjectName(QStringLiteral("editNumber"));
    m_number->setMaxLength(DialingLocations::maxAddressLength);
    m_number->setPlaceholderText(tr("e.g. +1 (425) 555-0100"));
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("labelPreview"));
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* preview = new QGroupBox(tr("Preview"), this);
    preview->setObjectName(QStringLiteral("groupPreview"));
    auto* previewLayout = new QFormLayout(preview);
    previewLayout->addRow(tr("N&umber:"), m_number);
    previewLayout->addRow(m_preview);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("labelProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00020;"));

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->setObjectName(QStringLiteral("buttonBox"));
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("buttonOk"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("buttonCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(preview);
    layout->addWidget(m_problem);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &TranslateDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &TranslateDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &TranslateDialog::addLocation);
    connect(m_remove, &QPushButton::clicked, this, &TranslateDialog::removeLocation);
    connect(m_form, &LocationForm::edited, this, &TranslateDialog::formEdited);
    connect(m_list, &QListWidget::currentRowChanged, this, &TranslateDialog::selectRow);
    connect(m_list, &QListWidget::itemChanged, this, &TranslateDialog::itemRenamed);
    connect(m_number, &QLineEdit::textChanged, this, &TranslateDialog::refresh);

    m_syncing = true;
    int currentRow = 0;
    for (int i = 0; i < m_locations.size(); ++i) {
        auto* item = new QListWidgetItem(m_locations[i].name, m_list);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (m_locations[i].id == store.currentLocationId())
            currentRow = i;
    }
    m_syncing = false;
    m_list->setCurrentRow(currentRow);
    // The list may have made a row current while it was filled; show it either way.
    if (m_row != currentRow)
        selectRow(currentRow);
}

void TranslateDialog::selectRow(int row)
{
    if (m_syncing)
        return;
    m_row = (row >= 0 && row < m_locations.size()) ? row : -1;
    if (m_row >= 0)
        m_form->setLocation(m_locations[m_row]);
    refresh();
}

void TranslateDialog::formEdited()
{
    if (m_row < 0)
        return;
    m_locations[m_row] = m_form->location();
    m_syncing = true;
    m_list->item(m_row)->setText(m_locations[m_row].name);
    m_syncing = false;
    refresh();
}

void TranslateDialog::itemRenamed(QListWidgetItem* item)
{
    if (m_syncing || !item)
        return;
    const int row = m_list->row(item);
    if (row < 0 || row >= m_locations.size())
        return;
    // The list edits names in place; anything the name rule refuses shows as a problem.
    m_locations[row].name = item->text().trimmed().left(DialingLocations::maxNameLength);
    if (row == m_row)
        m_form->setLocation(m_locations[row]);
    refresh();
}

DWORD TranslateDialog::freeId() const
{
    for (DWORD id = 1; id <= DialingLocations::maxLocationId; ++id) {
        const bool taken = std::any_of(m_locations.cbegin(), m_locations.cend(),
                                       [id](const DialingLocation& l) { return l.id == id; });
        if (!taken)
            return id;
    }
    return 0;
}

void TranslateDialog::addLocation()
{
    if (m_locations.size() >= DialingLocations::maxLocations)
        return;
    // A new place usually shares the country and codes of the one it is made from.
    DialingLocation location = m_row >= 0 ? m_locations[m_row] : DialingLocations::defaultLocation();
    location.id = freeId();
    location.name = tr("New location");
    for (int n = 2; std::any_of(m_locations.cbegin(), m_locations.cend(),
                                [&](const DialingLocation& l) { return l.name == location.name; });
         ++n)
        location.name = tr("New location %1").arg(n);
    m_locations.append(location);

    m_syncing = true;
    auto* item = new QListWidgetItem(location.name, m_list);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_syncing = false;
    m_list->setCurrentRow(static_cast<int>(m_locations.size() - 1));
    m_form->focusName();
}

void TranslateDialog::removeLocation()
{
    if (m_row < 0 || m_locations.size() <= 1)
        return;
    const int row = m_row;
    m_locations.removeAt(row);
    m_syncing = true;
    delete m_list->takeItem(row);
    m_syncing = false;
    m_row = -1;
    const int next = std::min(row, static_cast<int>(m_locations.size() - 1));
    if (m_list->currentRow() == next)
        selectRow(next);
    else
        m_list->setCurrentRow(next);
}

void TranslateDialog::refresh()
{
    const QString problem = DialingLocations::checkLocations(m_locations);
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty() && m_row >= 0);
    m_remove->setEnabled(m_row >= 0 && m_locations.size() > 1);
    m_add->setEnabled(m_locations.size() < DialingLocations::maxLocations);
    m_preview->setText(previewText());
}

QString TranslateDialog::previewText() const
{
    const QString number = m_number->text().trimmed();
    if (number.isEmpty())
        return tr("Dial as: (type a number to see how it is dialed)");
    if (m_row < 0 || !DialingLocations::checkLocation(m_locations[m_row]).isEmpty())
        return tr("Dial as: (complete this location first)");

    // The line control translates assigned numbers with call waiting cancelled, so
    // the preview shows the same.
    const TranslatedAddress out =
        DialingLocations::translate(m_locations[m_row], number, LINETRANSLATEOPTION_CANCELCALLWAITING);
    if (out.result == static_cast<LONG>(LINEERR_INVALCOUNTRYCODE))
        return tr("Dial as: (the country code is not valid)");
    if (out.result != 0)
        return tr("Dial as: (not a valid number)");
    QString kind = tr("as entered");
    if (out.translateResults & LINETRANSLATERESULT_LOCAL)
        kind = tr("local call");
    else if (out.translateResults & LINETRANSLATERESULT_LONGDISTANCE)
        kind = tr("long distance call");
    else if (out.translateResults & LINETRANSLATERESULT_INTERNATIONAL)
        kind = tr("international call");
    return tr("Dial as: %1 (%2)").arg(out.displayable, kind);
}

void TranslateDialog::accept()
{
    if (m_row < 0 || !DialingLocations::checkLocations(m_locations).isEmpty())
        return;
    QString error;
    if (!m_store.replaceLocations(m_locations, m_locations[m_row].id, &error)) {
        m_problem->setText(tr("The locations could not be saved. %1").arg(error));
        m_problem->setVisible(true);
        return;
    }
    QDialog::accept();
}

} // namespace Telephony
