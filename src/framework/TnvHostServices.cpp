#include "TnvHostServices.h"

#include <QDebug>

namespace {

TnvHostServices g_headless;
TnvHostServices* g_current = &g_headless;

} // namespace

TnvHostServices::Answer TnvHostServices::prompt(const TnvPrompt& prompt)
{
    qInfo().noquote() << prompt.caption << ":" << prompt.text;
    return AnswerOk;
}

QStringList TnvHostServices::chooseFiles(const TnvFileRequest&)
{
    return {};
}

bool TnvHostServices::openUrl(const QUrl&)
{
    return false;
}

bool TnvHostServices::printLines(const QStringList&)
{
    return false;
}

TnvHostServices& TnvHostServices::instance()
{
    return *g_current;
}

void TnvHostServices::install(TnvHostServices* services)
{
    g_current = services ? services : &g_headless;
}
