#pragma once

// The dialer's main window: pick a line device, activate it, dial the number typed in,
// hang up, open the device's settings or the line control's inspector, and watch every
// call-progress event in the log box. The handlers' work is TnvDialer's; the window
// shows it.

#include "TnvDialerView.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TFormAboutBox;
class TnvAnchors;
class TnvDialer;
class TnvLine;

class TForm1 : public QWidget, public TnvDialerView {
    Q_OBJECT

public:
    // The maker's address the caption shows.
    static const char* const WebAddress;

    // Makes the information dialog shown at the first show and on closing; the window
    // asks for it when it is first shown, and does not own it.
    using AboutFactory = std::function<TFormAboutBox*()>;

    explicit TForm1(AboutFactory about, QWidget* parent = nullptr);
    // The same with a dialog made beforehand (or none).
    explicit TForm1(TFormAboutBox* about, QWidget* parent = nullptr);
    ~TForm1() override;

    TnvLine* nvLine1() const;
    TnvDialer* dialer() const { return m_dialer.get(); }
    TnvAnchors* anchors() const { return m_anchors; }
    // Settings the stored description held that the control refused (none expected).
    const QStringList& refusedSettings() const { return m_refused; }

    // TnvDialerView
    void appendLog(const QString& line) override;
    void setActiveChecked(bool checked) override;
    bool activeChecked() const override;
    void setDialEnabled(bool enabled) override;
    void setHangupEnabled(bool enabled) override;
    void showDevice(int id) override;

signals:
    // The first show is done and the information dialog is about to open.
    void firstShown();
    // The window closed and the information dialog after it: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createComponents();
    void FormCreate();
    void FormShowFirst();
    void BitBtnInfoClick();
    TFormAboutBox* aboutBox();

    AboutFactory m_aboutFactory;
    TFormAboutBox* m_about = nullptr;
    TnvAnchors* m_anchors = nullptr;
    std::unique_ptr<TnvDialer> m_dialer;
    QStringList m_refused;
    bool m_firstShowPending = true;

    QCheckBox* CheckBoxActive = nullptr;
    QComboBox* ComboBoxDevice = nullptr;
    QPushButton* ButtonDial = nullptr;
    QLineEdit* EditPhoneNumber = nullptr;
    QPushButton* ButtonHangup = nullptr;
    QLabel* LabelCallProgress = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonLineConfig = nullptr;
    QPushButton* ButtonVantage = nullptr;
    QPushButton* BitBtnInfo = nullptr;
};
