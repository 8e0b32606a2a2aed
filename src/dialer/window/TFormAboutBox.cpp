#include "TFormAboutBox.h"

#include "DialerIcons.h"

#include <TnvHostServices.h>
#include <TnvVantage.h>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

// The icons live in the library; a static library must ask for them by name.
static void initAboutBoxResources()
{
    Q_INIT_RESOURCE(dialer);
}

const char* const TFormAboutBox::WebSite = "https://linkora.example.org/";
const char* const TFormAboutBox::SamplePage = "https://linkora.example.org/samples/nvringfast/";
const char* const TFormAboutBox::EMail = "mailto:support@linkora.example.org?subject=nvRingfast";

TFormAboutBox::TFormAboutBox(QWidget* parent)
    : QDialog(parent)
{
    initAboutBoxResources();
    setObjectName(QStringLiteral("FormAboutBox"));
    setWindowTitle(QStringLiteral("About nvRingfast"));
    setWindowIcon(dialerIcon("nvringfast", {16, 32, 48, 64}));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ImageProgramIcon"));
    icon->setPixmap(dialerIcon("nvringfast", {64}).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto* title = new QLabel(QStringLiteral("nvRingfast"), this);
    title->setObjectName(QStringLiteral("LabelProgramName"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);

    auto* subtitle = new QLabel(QStringLiteral("A telephone dialer built on the Linkora line control"), this);
    subtitle->setObjectName(QStringLiteral("LabelDescription"));

    auto* usage = new QLabel(this);
    usage->setObjectName(QStringLiteral("LabelHowToUse"));
    usage->setWordWrap(true);
    usage->setText(QStringLiteral(
        "<ol style='margin-left:-20px'>"
        "<li>Pick a line device from the list and tick <b>Active</b>.</li>"
        "<li>Type the number to call and click <b>Dial</b>. Every step of the call shows in the log box.</li>"
        "<li>Click <b>Hang up</b> to end the call; <b>Clear Log</b> empties the log box.</li>"
        "<li><b>Vantage</b> opens the line control's inspector with its trace log; "
        "<b>Line Config...</b> opens the device's settings.</li>"
        "</ol>"));

    const auto link = [this](const QString& name, const QString& caption, const QString& hint) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setToolTip(hint);
        button->setAutoDefault(false);
        return button;
    };
    QPushButton* help = link(QStringLiteral("ButtonHelp"), QStringLiteral("Help"), QStringLiteral("Open the Linkora manual"));
    QPushButton* web = link(QStringLiteral("ButtonWebSite"), QStringLiteral("Web Site"),
                            QStringLiteral("Visit ") + QLatin1String(WebSite));
    QPushButton* sample = link(QStringLiteral("ButtonSampleProgram"), QStringLiteral("Sample Program"),
                               QStringLiteral("Read about this sample program on the web site"));
    QPushButton* mail = link(QStringLiteral("ButtonEMail"), QStringLiteral("E-mail"),
                             QStringLiteral("Write to support@linkora.example.org"));
    connect(help, &QPushButton::clicked, this, &TFormAboutBox::showHelp);
    connect(web, &QPushButton::clicked, this, [this] { openUrl(QUrl(QLatin1String(WebSite))); });
    connect(sample, &QPushButton::clicked, this, [this] { openUrl(QUrl(QLatin1String(SamplePage))); });
    connect(mail, &QPushButton::clicked, this, [this] { openUrl(QUrl(QLatin1String(EMail))); });

    m_buttonClose = new QPushButton(QStringLiteral("Continue"), this);
    m_buttonClose->setObjectName(QStringLiteral("ButtonClose"));
    m_buttonClose->setToolTip(QStringLiteral("Continue to Sample Program"));
    m_buttonClose->setDefault(true);
    connect(m_buttonClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(subtitle);
    text->addSpacing(6);
    text->addWidget(usage);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(text, 1);
    auto* links = new QHBoxLayout;
    for (QPushButton* b : {help, web, sample, mail})
        links->addWidget(b);
    links->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_buttonClose);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addStretch();
    all->addLayout(links);
    all->addLayout(bottom);
    setFixedWidth(460);
}

QUrl TFormAboutBox::helpUrl()
{
    return QUrl::fromLocalFile(TnvVantage::HelpFilePath());
}

void TFormAboutBox::done(int result)
{
    // Once dismissed, the dialog is what ends the program when the window closes.
    QDialog::done(result);
    m_buttonClose->setText(QStringLiteral("Close"));
    m_buttonClose->setToolTip(QStringLiteral("Close Program and Exit"));
}

void TFormAboutBox::openUrl(const QUrl& url)
{
    if (!TnvHostServices::instance().openUrl(url)) {
        TnvHostServices::instance().prompt({QStringLiteral("No program could open ") + url.toString(),
                                            windowTitle(), TnvPrompt::Ok, TnvPrompt::Exclamation});
    }
}

void TFormAboutBox::showHelp()
{
    const QString path = TnvVantage::HelpFilePath();
    if (!QFileInfo::exists(path)) {
        TnvHostServices::instance().prompt(
            {QStringLiteral("Unable to locate help: \r\n") + path, windowTitle(), TnvPrompt::Ok, TnvPrompt::Exclamation});
        return;
    }
    openUrl(helpUrl());
}
