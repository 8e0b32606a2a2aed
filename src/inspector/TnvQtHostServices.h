#pragma once

// The desktop services of a program with windows: real message boxes and file dialogs,
// the desktop's URL handler and the application's current printer.

#include <TnvHostServices.h>

#include <QFont>

#include <memory>

class QPrinter;

class TnvQtHostServices : public TnvHostServices {
public:
    TnvQtHostServices();
    ~TnvQtHostServices() override;

    Answer prompt(const TnvPrompt& prompt) override;
    QStringList chooseFiles(const TnvFileRequest& request) override;
    bool openUrl(const QUrl& url) override;
    bool printLines(const QStringList& lines) override;

    // The application's current printer; print dialogs configure it. Made on first use:
    // a printer loads the print system's plugin and its libraries.
    QPrinter* printer() const;
    void setPrintFont(const QFont& font) { m_font = font; }

    // The installed instance, when the installed services are these.
    static TnvQtHostServices* current();

private:
    mutable std::unique_ptr<QPrinter> m_printer;
    QFont m_font;
};
