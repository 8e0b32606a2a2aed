// The dialer window's components: names, places, texts, hints, and where they go when
// the window is resized.

#include "DialerHarness.h"

#include <TnvAnchors.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

namespace {

class FormLayout : public DialerHarness {};

using A = TnvAnchors::Anchor;

struct Component {
    const char* name;
    QRect place; // an empty size: the label's own
    const char* text;
    const char* hint;
    TnvAnchors::Edges anchors;
};

const Component kComponents[] = {
    {"CheckBoxActive", {8, 2, 57, 17}, "Active", "Activate TAPI device", A::Left | A::Top},
    {"ComboBoxDevice", {72, 2, 265, 21}, "Linkora Simulated Line 1", "Select TAPI device", A::Left | A::Top},
    {"ButtonDial", {8, 31, 81, 25}, "Dial", "Dial the number in the phone number box", A::Left | A::Top},
    {"EditPhoneNumber", {96, 33, 153, 21}, "", "Enter phone number to call here", A::Left | A::Top},
    {"ButtonHangup", {256, 31, 81, 25}, "Hang up", "Hangup an active call", A::Left | A::Top},
    {"LabelCallProgress", {8, 63, 0, 0}, "Call Progress...", "", A::Left | A::Top},
    {"Memo1", {8, 79, 329, 138}, "", "Log information about events, methods and properties appears here",
     A::Left | A::Top | A::Right | A::Bottom},
    {"ButtonClear", {256, 87, 59, 17}, "Clear Log", "Clear log window", A::Top | A::Right},
    {"ButtonLineConfig", {8, 222, 89, 28}, "Line Config...",
     "Click here to popup the TSP (TAPI driver config) for your device", A::Left | A::Bottom},
    {"ButtonVantage", {104, 222, 81, 28}, "Vantage",
     "Click here to load Norvane's Vantage diagnostic, help and prototyping tool", A::Left | A::Bottom},
    {"BitBtnInfo", {309, 222, 28, 28}, "", "Click here to popup an about box and to access help for this program",
     A::Right | A::Bottom},
};

QString textOf(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* m = qobject_cast<const QPlainTextEdit*>(w))
        return m->toPlainText();
    return QStringLiteral("?");
}

} // namespace

TEST_F(FormLayout, WindowIsTheDialerWindow)
{
    ASSERT_TRUE(createForm());
    EXPECT_EQ(m_form->windowTitle(), QStringLiteral("nvRingfast - https://linkora.example.org"));
    EXPECT_EQ(m_form->size(), QSize(345, 258));
    EXPECT_EQ(m_form->minimumSize(), QSize(345, 258));
    EXPECT_GT(m_form->maximumWidth(), 345); // resizable
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(m_form->pos(), screen.topLeft() + QPoint((screen.width() - 345) / 2, (screen.height() - 258) / 2));
    EXPECT_TRUE(m_form->refusedSettings().isEmpty()) << m_form->refusedSettings().join(' ').toStdString();
}

TEST_F(FormLayout, ComponentsSitAtTheirPlacesWithTheirTextsAndHints)
{
    ASSERT_TRUE(createForm());
    for (const Component& c : kComponents) {
        SCOPED_TRACE(c.name);
        const QWidget* w = widget<QWidget>(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->pos(), c.place.topLeft());
        if (!c.place.size().isEmpty()) {
            EXPECT_EQ(w->size(), c.place.size());
        }
        EXPECT_EQ(textOf(w), QString::fromUtf8(c.text));
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(c.hint));
        EXPECT_EQ(m_form->anchors()->edges(w), c.anchors);
        EXPECT_TRUE(w->isVisible());
    }
    // The Clear button lies on the log box and must stay clickable.
    EXPECT_EQ(m_form->childAt(widget<QWidget>("ButtonClear")->geometry().center()), widget<QWidget>("ButtonClear"));
    auto* devices = widget<QComboBox>("ComboBoxDevice");
    EXPECT_EQ(devices->count(), 3);
    EXPECT_EQ(devices->currentIndex(), 0);
    EXPECT_FALSE(widget<QWidget>("ButtonDial")->isEnabled());
    EXPECT_FALSE(widget<QWidget>("ButtonHangup")->isEnabled());
    // The icons are read when first drawn; a rendering that cannot be read leaves them blank.
    EXPECT_FALSE(widget<QAbstractButton>("BitBtnInfo")->icon().pixmap(20, 20).isNull());
    EXPECT_FALSE(m_form->windowIcon().pixmap(32, 32).isNull());
}

TEST_F(FormLayout, AnchorsFollowAResize)
{
    ASSERT_TRUE(createForm());
    const int dx = 120;
    const int dy = 90;
    m_form->resize(345 + dx, 258 + dy);
    for (const Component& c : kComponents) {
        SCOPED_TRACE(c.name);
        const QWidget* w = widget<QWidget>(c.name);
        QRect expected = c.place;
        if (c.anchors & A::Right)
            (c.anchors & A::Left) ? expected.setWidth(expected.width() + dx) : expected.translate(dx, 0);
        if (c.anchors & A::Bottom)
            (c.anchors & A::Top) ? expected.setHeight(expected.height() + dy) : expected.translate(0, dy);
        EXPECT_EQ(w->pos(), expected.topLeft());
        if (!c.place.size().isEmpty()) {
            EXPECT_EQ(w->size(), expected.size());
        }
    }
    // Back to the smallest size, everything is where it started.
    m_form->resize(345, 258);
    EXPECT_EQ(widget<QWidget>("Memo1")->geometry(), QRect(8, 79, 329, 138));
    EXPECT_EQ(widget<QWidget>("BitBtnInfo")->geometry(), QRect(309, 222, 28, 28));
}
