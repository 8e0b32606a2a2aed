#include "TnvSharedControl.h"

#include "TnvError.h"
#include "TnvHostServices.h"
#include "TnvLog.h"
#include "TnvNotation.h"
#include "TnvVantage.h"
#include "TnvVantageWindow.h"

TnvSharedControl::TnvSharedControl(QObject* owner)
    : QObject(owner)
    , m_error(new TnvError(this))
    , m_vantage(new TnvVantage(this))
    , m_log(m_vantage->Log())
{
    m_error->Clear();
}

TnvSharedControl::~TnvSharedControl()
{
    m_vantage->setVisible(false);
}

void TnvSharedControl::SetKind(int kind, const QString& name)
{
    m_kind = kind;
    m_log->rawLines() << QStringLiteral("Norvane Linkora v3.7.1.2") << QStringLiteral("Create ") + name;
}

QString TnvSharedControl::KindText(int kind)
{
    switch (kind) {
    case ckLine: return QStringLiteral("nvLine");
    case ckPhone: return QStringLiteral("nvPhone");
    case ckPlay: return QStringLiteral("nvPlay");
    case ckRecord: return QStringLiteral("nvRecord");
    }
    return QString();
}

bool TnvSharedControl::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    if (!m_log->Active())
        return false;
    m_log->BeginUpdate();
    if (!header.isEmpty())
        m_log->Add(true, header);
    m_error->LogProperties(QString(), prefix, indent);
    m_vantage->LogProperties(QString(), prefix, indent);
    const QString vantagePrefix = prefix.isEmpty() ? QStringLiteral("Vantage") : prefix + QStringLiteral(".Vantage");
    m_log->LogProperties(QString(), vantagePrefix, indent);
    m_log->EndUpdate();
    return true;
}

QString TnvSharedControl::resultText(qint32 code) const
{
    return code == 0 ? QString() : QStringLiteral("Unknown");
}

void TnvSharedControl::restoreError(qint32 code)
{
    m_error->m_number = code;
    m_error->m_text = resultText(code);
    m_error->m_hex = code == 0 ? QString() : TnvNotation::hex8(static_cast<quint32>(code));
}

bool TnvSharedControl::ReportResult(bool warning, qint32 code)
{
    m_error->m_number = code;
    m_error->m_text = resultText(code);
    if (code == 0) {
        m_error->m_hex.clear();
        return true;
    }
    m_error->m_hex = TnvNotation::hex8(static_cast<quint32>(code));
    const QString detail = m_error->m_text + QStringLiteral(" [") + m_error->m_hex + QLatin1Char(']');

    if (warning) {
        m_log->Add(true, QStringLiteral("<< Warning >> ") + detail);
        TnvVantageWindow* window = m_vantage->window();
        if ((m_kind == ckPlay || m_kind == ckRecord) && window) {
            m_vantage->ShowPopup(popupOnWarning());
            if (TnvVantageWindow* shown = m_vantage->window())
                shown->refreshErrorDisplay();
            if (popupOnWarning()) {
                TnvPrompt ask;
                ask.text = QStringLiteral("Warning: ") + m_error->m_text;
                ask.caption = QStringLiteral("Norvane Linkora - ") + KindText(m_kind);
                ask.buttons = TnvPrompt::OkCancel;
                ask.icon = TnvPrompt::Exclamation;
                return TnvHostServices::instance().prompt(ask) == TnvHostServices::AnswerOk;
            }
        }
        return true;
    }

    m_log->Add(true, QStringLiteral("<< Error >> ") + detail);
    if (m_vantage->Events() && OnError)
        OnError(this);
    if (TnvVantageWindow* window = m_vantage->window())
        window->refreshErrorDisplay();
    m_vantage->ShowPopup(popupOnError());
    return true;
}
