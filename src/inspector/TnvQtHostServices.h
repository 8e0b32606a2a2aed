#pragma once

// The desktop services of a program with windows: real message boxes and file dialogs,
// the desktop's URL handler and the application's current printer.

#include <TnvHostServices.h>

#include <QFont>

class QPrinter;
class QWidget;

class TnvQtHostServices : public TnvHostServices {
public:
    TnvQtHostServices();
    ~TnvQtHostServices() override;
    TnvQtHostServices(const TnvQtHostServices&) = delete;
    TnvQtHostServices& operator=(const TnvQtHostServices&) = delete;

    Answer prompt(const TnvPrompt& prompt) override;
    QStringList chooseFiles(const TnvFileRequest& request) override;
    bool openUrl(const QUrl& url) override;
    bool printLines(const QStringList& lines) override;

    // The application's current printer; print dialogs configure it. Made on first use:
    // a printer loads the print system's plugin and its libraries. Null when printing
    // cannot be loaded.
    QPrinter* printer() const;
    // The print dialog for the current printer; true when accepted.
    bool choosePrinter(QWidget* parent);
    void setPrintFont(const QFont& font) { m_font = font; }

    // The installed instance, when the installed services are these.
    static TnvQtHostServices* current();

private:
    mutable QPrinter* m_printer = nullptr;
    QFont m_font;
};
