#include "TForm1.h"

#include "DialerIcons.h"
#include "TFormAboutBox.h"
#include "TnvAnchors.h"
#include "TnvDialer.h"

#include <TnvLine.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <cstdio>
#include <utility>

const char* const TForm1::WebAddress = "https://linkora.example.org";

// The icons live in the library; a static library must ask for them by name.
static void initDialerResources()
{
    Q_INIT_RESOURCE(dialer);
}

namespace {

// The inside of the window: the components' places leave the same 8 pixels on every
// side, and the window manager's frame brings the outer size to about 350 x 280.
constexpr int kWidth = 345;
constexpr int kHeight = 258;

} // namespace

TForm1::TForm1(TFormAboutBox* about, QWidget* parent)
    : TForm1(AboutFactory([about] { return about; }), parent)
{
}

TForm1::TForm1(AboutFactory about, QWidget* parent)
    : QWidget(parent)
    , m_aboutFactory(std::move(about))
    , m_dialer(std::make_unique<TnvDialer>(this))
{
    initDialerResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("nvRingfast - ") + QLatin1String(WebAddress));
    setWindowIcon(dialerIcon("nvringfast", {16, 32, 48, 64}));
    resize(kWidth, kHeight);
    setMinimumSize(kWidth, kHeight);
    createComponents();

    // The control comes from the stored description before the creation handler runs,
    // so its device list is filled by then.
    m_refused = m_dialer->createLine();
    for (const QString& path : std::as_const(m_refused))
        std::fprintf(stderr, "nvRingfast: stored setting %s refused\n", qPrintable(path));
    FormCreate();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TForm1::~TForm1() = default;

TnvLine* TForm1::nvLine1() const
{
    return m_dialer->line();
}

void TForm1::createComponents()
{
    m_anchors = new TnvAnchors(this);
    using A = TnvAnchors::Anchor;
    const auto place = [this](QWidget* w, const char* name, QRect rect, const QString& hint, TnvAnchors::Edges edges) {
        w->setObjectName(QLatin1String(name));
        w->setToolTip(hint);
        m_anchors->place(w, rect, edges);
    };

    CheckBoxActive = new QCheckBox(QStringLiteral("Active"), this);
    place(CheckBoxActive, "CheckBoxActive", {8, 2, 57, 17}, QStringLiteral("Activate TAPI device"), A::Left | A::Top);

    ComboBoxDevice = new QComboBox(this);
    ComboBoxDevice->setEditable(true);
    ComboBoxDevice->setInsertPolicy(QComboBox::NoInsert);
    place(ComboBoxDevice, "ComboBoxDevice", {72, 2, 265, 21}, QStringLiteral("Select TAPI device"), A::Left | A::Top);

    ButtonDial = new QPushButton(QStringLiteral("Dial"), this);
    place(ButtonDial, "ButtonDial", {8, 31, 81, 25}, QStringLiteral("Dial the number in the phone number box"),
          A::Left | A::Top);

    EditPhoneNumber = new QLineEdit(this);
    EditPhoneNumber->setPlaceholderText(QStringLiteral("e.g. 555-0100"));
    place(EditPhoneNumber, "EditPhoneNumber", {96, 33, 153, 21}, QStringLiteral("Enter phone number to call here"),
          A::Left | A::Top);

    ButtonHangup = new QPushButton(QStringLiteral("Hang up"), this);
    place(ButtonHangup, "ButtonHangup", {256, 31, 81, 25}, QStringLiteral("Hangup an active call"), A::Left | A::Top);

    LabelCallProgress = new QLabel(QStringLiteral("Call Progress..."), this);
    place(LabelCallProgress, "LabelCallProgress", QRect(QPoint(8, 63), LabelCallProgress->sizeHint()), QString(),
          A::Left | A::Top);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabStopDistance(QFontMetricsF(Memo1->font()).horizontalAdvance(QLatin1Char(' ')) * 4);
    place(Memo1, "Memo1", {8, 79, 329, 138},
          QStringLiteral("Log information about events, methods and properties appears here"),
          A::Left | A::Top | A::Right | A::Bottom);

    // Sits on the log box's top right corner, beside its scroll bar.
    ButtonClear = new QPushButton(QStringLiteral("Clear Log"), this);
    QFont small = ButtonClear->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    ButtonClear->setFont(small);
    place(ButtonClear, "ButtonClear", {256, 87, 59, 17}, QStringLiteral("Clear log window"), A::Top | A::Right);
    ButtonClear->raise();

    ButtonLineConfig = new QPushButton(QStringLiteral("Line Config..."), this);
    place(ButtonLineConfig, "ButtonLineConfig", {8, 222, 89, 28},
          QStringLiteral("Click here to popup the TSP (TAPI driver config) for your device"), A::Left | A::Bottom);

    ButtonVantage = new QPushButton(QStringLiteral("Vantage"), this);
    place(ButtonVantage, "ButtonVantage", {104, 222, 81, 28},
          QStringLiteral("Click here to load Norvane's Vantage diagnostic, help and prototyping tool"),
          A::Left | A::Bottom);

    BitBtnInfo = new QPushButton(this);
    BitBtnInfo->setIcon(dialerIcon("information", {20, 40}));
    BitBtnInfo->setIconSize(QSize(20, 20));
    place(BitBtnInfo, "BitBtnInfo", {309, 222, 28, 28},
          QStringLiteral("Click here to popup an about box and to access help for this program"),
          A::Right | A::Bottom);

    connect(CheckBoxActive, &QCheckBox::toggled, this, [this](bool checked) { m_dialer->CheckBoxActiveClick(checked); });
    connect(ComboBoxDevice, &QComboBox::activated, this, [this](int index) { m_dialer->ComboBoxDeviceChange(index); });
    connect(ButtonDial, &QPushButton::clicked, this, [this] { m_dialer->ButtonDialClick(EditPhoneNumber->text()); });
    connect(EditPhoneNumber, &QLineEdit::returnPressed, ButtonDial, &QPushButton::click);
    connect(ButtonHangup, &QPushButton::clicked, this, [this] { m_dialer->ButtonHangupClick(); });
    connect(ButtonClear, &QPushButton::clicked, Memo1, &QPlainTextEdit::clear);
    connect(ButtonLineConfig, &QPushButton::clicked, this, [this] { m_dialer->ButtonLineConfigClick(); });
    connect(ButtonVantage, &QPushButton::clicked, this, [this] { m_dialer->ButtonVantageClick(); });
    connect(BitBtnInfo, &QPushButton::clicked, this, &TForm1::BitBtnInfoClick);
}

void TForm1::FormCreate()
{
    m_dialer->FormCreate(2000);
    TnvLine* line = m_dialer->line();
    EditPhoneNumber->setText(line->Call()->PhoneNumber());
    ComboBoxDevice->addItems(line->Device()->List());
    if (ComboBoxDevice->count() > 0)
        ComboBoxDevice->setEditText(ComboBoxDevice->itemText(0));
    ComboBoxDevice->setCurrentIndex(0);
    // The buttons follow the device: nothing to dial on until it is active.
    const QSignalBlocker quiet(CheckBoxActive);
    CheckBoxActive->setChecked(line->Device()->Active());
    ButtonDial->setEnabled(line->Device()->Active());
    ButtonHangup->setEnabled(false);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_firstShowPending) {
        m_firstShowPending = false;
        // After the window is on screen, so the dialog opens over it.
        QTimer::singleShot(0, this, &TForm1::FormShowFirst);
    }
}

TFormAboutBox* TForm1::aboutBox()
{
    // Made when first needed: the window is on screen before the dialog is built.
    if (!m_about && m_aboutFactory)
        m_about = std::exchange(m_aboutFactory, nullptr)();
    return m_about;
}

void TForm1::FormShowFirst()
{
    emit firstShown();
    if (TFormAboutBox* about = aboutBox())
        about->exec();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    m_dialer->FormClose();
    if (TFormAboutBox* about = aboutBox())
        about->exec();
    event->accept();
    emit closed();
}

void TForm1::BitBtnInfoClick()
{
    TFormAboutBox* about = aboutBox();
    if (!about)
        return;
    about->ButtonClose()->setText(QStringLiteral("Continue"));
    about->ButtonClose()->setToolTip(QStringLiteral("Return to Sample Program"));
    about->show();
    about->raise();
    about->activateWindow();
}

void TForm1::appendLog(const QString& line)
{
    Memo1->appendPlainText(line);
}

void TForm1::setActiveChecked(bool checked)
{
    CheckBoxActive->setChecked(checked);
}

bool TForm1::activeChecked() const
{
    return CheckBoxActive->isChecked();
}

void TForm1::setDialEnabled(bool enabled)
{
    ButtonDial->setEnabled(enabled);
}

void TForm1::setHangupEnabled(bool enabled)
{
    ButtonHangup->setEnabled(enabled);
}

void TForm1::showDevice(int id)
{
    if (id < 0 || id >= ComboBoxDevice->count() || ComboBoxDevice->currentIndex() == id)
        return;
    const QSignalBlocker quiet(ComboBoxDevice);
    ComboBoxDevice->setCurrentIndex(id);
}
