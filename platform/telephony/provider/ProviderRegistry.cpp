#include "ProviderRegistry.h"

#include <QHash>

namespace Telephony {

namespace {

struct Registry {
    QHash<QString, ProviderRegistry::Factory> factories;
    QString fallback;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void ProviderRegistry::add(const QString& name, Factory factory)
{
    registry().factories.insert(name, std::move(factory));
}

bool ProviderRegistry::contains(const QString& name)
{
    return registry().factories.contains(name);
}

std::unique_ptr<TelephonyProvider> ProviderRegistry::create(const QString& name, const QVariantMap& settings)
{
    const Factory factory = registry().factories.value(name);
    return factory ? factory(settings) : nullptr;
}

QStringList ProviderRegistry::names()
{
    QStringList list = registry().factories.keys();
    list.sort();
    return list;
}

void ProviderRegistry::setFallback(const QString& name)
{
    registry().fallback = name;
}

QString ProviderRegistry::fallback()
{
    return registry().fallback;
}

} // namespace Telephony
