#pragma once

// Printing for the windows, kept in a module of its own that is loaded the first time
// something is printed: the print system's libraries then cost a program that never
// prints nothing at start-up.

#include <QStringList>

class QFont;
class QPrinter;
class QWidget;

class TnvPrintSupport {
public:
    // The module's entry point, a C function returning its one instance.
    static constexpr const char* EntryPoint = "linkora_inspector_print";
    static constexpr const char* ModuleFileName = "liblinkora-inspector-print.so";

    // A printer, freed with destroyPrinter() while the application still runs.
    virtual QPrinter* createPrinter() = 0;
    virtual void destroyPrinter(QPrinter* printer) = 0;
    // The print dialog over parent for printer; true when accepted.
    virtual bool choosePrinter(QPrinter* printer, QWidget* parent) = 0;
    // The lines on printer in font, tabs expanded; false on a failure.
    virtual bool printLines(QPrinter* printer, const QStringList& lines, const QFont& font) = 0;

    // Loads the module on first call; null (with a warning) when it cannot be loaded.
    static TnvPrintSupport* get();

protected:
    ~TnvPrintSupport() = default;
};
