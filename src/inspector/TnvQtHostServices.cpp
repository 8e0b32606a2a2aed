#include "TnvQtHostServices.h"

#include "TnvPrintSupport.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

TnvQtHostServices::TnvQtHostServices()
    : m_font(QStringLiteral("Monospace"), 9)
{
}

TnvQtHostServices::~TnvQtHostServices()
{
    if (current() == this)
        TnvHostServices::install(nullptr);
    if (m_printer)
        TnvPrintSupport::get()->destroyPrinter(m_printer);
}

QPrinter* TnvQtHostServices::printer() const
{
    if (!m_printer) {
        if (TnvPrintSupport* support = TnvPrintSupport::get())
            m_printer = support->createPrinter();
    }
    return m_printer;
}

bool TnvQtHostServices::choosePrinter(QWidget* parent)
{
    QPrinter* device = printer();
    return device && TnvPrintSupport::get()->choosePrinter(device, parent);
}

TnvQtHostServices* TnvQtHostServices::current()
{
    return dynamic_cast<TnvQtHostServices*>(&TnvHostServices::instance());
}

TnvHostServices::Answer TnvQtHostServices::prompt(const TnvPrompt& prompt)
{
    QMessageBox box;
    box.setWindowTitle(prompt.caption);
    box.setText(QString(prompt.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (prompt.icon) {
    case TnvPrompt::NoIcon: break;
    case TnvPrompt::Information: box.setIcon(QMessageBox::Information); break;
    case TnvPrompt::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case TnvPrompt::Error: box.setIcon(QMessageBox::Critical); break;
    }
    box.setStandardButtons(prompt.buttons == TnvPrompt::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                                 : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? AnswerOk : AnswerCancel;
}

QStringList TnvQtHostServices::chooseFiles(const TnvFileRequest& request)
{
    QFileDialog dialog(nullptr, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.multiple)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Several names go into the name box quoted, as the dialog writes a multiple choice.
    if (request.names.size() == 1)
        dialog.selectFile(request.names.constFirst());
    else if (request.names.size() > 1)
        dialog.selectFile(QLatin1Char('"') + request.names.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

bool TnvQtHostServices::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool TnvQtHostServices::printLines(const QStringList& lines)
{
    QPrinter* device = printer();
    return device && TnvPrintSupport::get()->printLines(device, lines, m_font);
}
