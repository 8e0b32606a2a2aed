#pragma once

// Host services for tests: answers prompts as scripted and records what was asked,
// opened and printed. Installs itself for its lifetime.

#include <TnvHostServices.h>

#include <QList>

class ScriptedHost : public TnvHostServices {
public:
    ScriptedHost() { TnvHostServices::install(this); }
    ~ScriptedHost() override { TnvHostServices::install(nullptr); }

    Answer answer = AnswerOk;
    bool openSucceeds = true;
    QList<TnvPrompt> prompts;
    QList<QUrl> opened;
    QStringList printed;

    Answer prompt(const TnvPrompt& p) override
    {
        prompts << p;
        return answer;
    }
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return openSucceeds;
    }
    bool printLines(const QStringList& lines) override
    {
        printed = lines;
        return true;
    }
};
