// The module that prints for the windows; TnvPrintSupport::get() loads it.

#include "TnvPrintSupport.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

class PrintModule final : public TnvPrintSupport {
public:
    QPrinter* createPrinter() override
    {
        return new QPrinter;
    }

    void destroyPrinter(QPrinter* printer) override
    {
        delete printer;
    }

    bool choosePrinter(QPrinter* printer, QWidget* parent) override
    {
        QPrintDialog dialog(printer, parent);
        dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions());
        return dialog.exec() == QDialog::Accepted;
    }

    bool printLines(QPrinter* device, const QStringList& lines, const QFont& font) override
    {
        QPainter painter;
        if (!painter.begin(device))
            return false;
        painter.setFont(font);
        const QFontMetrics metrics(painter.font(), device);
        const QRect page = painter.viewport();
        const int lineHeight = metrics.lineSpacing();
        int y = metrics.ascent();
        for (const QString& line : lines) {
            if (y > page.height()) {
                if (!device->newPage())
                    return false;
                y = metrics.ascent();
            }
            // Tabs are expanded by hand: the painter draws them as nothing.
            QString expanded;
            for (QChar c : line) {
                if (c == QLatin1Char('\t'))
                    expanded += QString(8 - expanded.size() % 8, QLatin1Char(' '));
                else
                    expanded += c;
            }
            painter.drawText(0, y, expanded);
            y += lineHeight;
        }
        return painter.end();
    }
};

} // namespace

extern "C" Q_DECL_EXPORT TnvPrintSupport* linkora_inspector_print()
{
    static PrintModule module;
    return &module;
}
