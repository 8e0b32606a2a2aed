#pragma once

// The dialer window on the simulated exchange for tests: a private configuration, no
// pacing, scripted answers to message boxes and desktop requests, and the log box
// compared with expected text files kept beside the tests.

#include "InstantService.h"
#include "QtPrinters.h"

#include <ScriptedHost.h>
#include <TForm1.h>
#include <TFormAboutBox.h>

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class DialerHarness : public InstantServiceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window as the program does; shown, the information dialog that opens at
    // the first show is dismissed. False when it did not open.
    bool createForm(bool show = true);
    // Closes every modal dialog as soon as one opens, until the test ends.
    void dismissModalDialogs();

    template<typename T>
    T* widget(const char* name) const
    {
        return m_form->findChild<T*>(QLatin1String(name));
    }
    QStringList memoLines() const;
    bool memoContains(const QString& line) const { return memoLines().contains(line); }
    bool waitForLine(const QString& line, int timeoutMs = 10000) const;

    // Compares lines with expected/<name>.txt; set LINKORA_UPDATE_LOGS to write the file.
    void expectLines(const QString& name, const QStringList& lines);
    // Saves what a person would see into the build folder's screenshots/.
    static void screenshot(QWidget* widget, const QString& name);

    ScriptedHost m_host;
    std::unique_ptr<TFormAboutBox> m_about;
    std::unique_ptr<TForm1> m_form;
    int m_aboutShownAtStart = 0;
};
