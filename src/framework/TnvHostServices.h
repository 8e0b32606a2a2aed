#pragma once

// What the components need from the desktop: message boxes, file dialogs, opening a
// document or web page, and printing. The components link Qt Core only, so the window layer installs
// the real services; without it the headless defaults below answer, and tests install
// their own to answer prompts and capture output.

#include <QString>
#include <QStringList>
#include <QUrl>

struct TnvPrompt {
    enum Buttons { Ok, OkCancel };
    enum Icon { NoIcon, Information, Exclamation, Error };

    QString text;
    QString caption;
    Buttons buttons = Ok;
    Icon icon = NoIcon;
};

// A request for files: the dialog starts in directory with names (without directory)
// filled in. Filter is in the form "Sounds (*.wav);;All files (*.*)".
struct TnvFileRequest {
    QString title;
    QString filter;
    QString directory;
    QStringList names;
    bool multiple = false;
    // False: a name that does not exist yet may be chosen (a file to be written).
    bool mustExist = true;
};

class TnvHostServices {
public:
    enum Answer { AnswerOk, AnswerCancel };

    virtual ~TnvHostServices() = default;

    // Asks the user. Headless: nobody can be asked, so the default (OK) stands.
    virtual Answer prompt(const TnvPrompt& prompt);

    // Asks for files; the chosen ones with their full paths, none when cancelled.
    // Headless: nobody can choose, so the request counts as cancelled.
    virtual QStringList chooseFiles(const TnvFileRequest& request);

    // Opens a document or web page with the desktop's handler. Headless: fails.
    virtual bool openUrl(const QUrl& url);

    // Prints the lines on the application's current printer. Headless: fails.
    virtual bool printLines(const QStringList& lines);

    // The services in force; never null.
    static TnvHostServices& instance();

    // Installs services (not owned); null restores the headless defaults.
    static void install(TnvHostServices* services);
};
