#pragma once

// The dialer's information dialog: the program's name and how to use it, and buttons
// that open the manual, the web site, the sample-program page and an e-mail to us. Its
// close button reads "Continue" until the dialog has been closed once, then "Close".

#include <QDialog>

class QLabel;
class QPushButton;

class TFormAboutBox : public QDialog {
    Q_OBJECT

public:
    static const char* const WebSite;
    static const char* const SamplePage;
    static const char* const EMail;

    explicit TFormAboutBox(QWidget* parent = nullptr);

    // The close button, whose caption and hint the main window sets.
    QPushButton* ButtonClose() const { return m_buttonClose; }
    // The manual the Help button opens.
    static QUrl helpUrl();

protected:
    void done(int result) override;

private:
    void openUrl(const QUrl& url);
    void showHelp();

    QPushButton* m_buttonClose;
};
