#include "TnvPropertyPath.h"

#include <QMetaEnum>
#include <QMetaProperty>

namespace TnvPropertyPath {

namespace {

// Resolves every segment but the last to its sub-object; returns the owner of the
// last segment and its property name.
std::pair<QObject*, QString> resolve(const QObject* root, const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('.'));
    QObject* object = const_cast<QObject*>(root);
    for (qsizetype i = 0; object && i + 1 < parts.size(); ++i) {
        const QByteArray name = parts.at(i).toLatin1();
        const int index = object->metaObject()->indexOfProperty(name.constData());
        if (index < 0)
            return {nullptr, QString()};
        object = object->metaObject()->property(index).read(object).value<QObject*>();
    }
    return {object, parts.constLast()};
}

QMetaProperty findProperty(const QObject* object, const QString& name)
{
    const QByteArray latin = name.toLatin1();
    const int index = object->metaObject()->indexOfProperty(latin.constData());
    return index < 0 ? QMetaProperty() : object->metaObject()->property(index);
}

} // namespace

QVariant read(const QObject* root, const QString& path)
{
    const auto [object, name] = resolve(root, path);
    if (!object)
        return {};
    const QMetaProperty property = findProperty(object, name);
    return property.isValid() ? property.read(object) : QVariant();
}

bool write(QObject* root, const QString& path, const QVariant& value)
{
    const auto [object, name] = resolve(root, path);
    if (!object)
        return false;
    const QMetaProperty property = findProperty(object, name);
    if (!property.isValid() || !property.isWritable())
        return false;
    if (property.isEnumType()) {
        // Enumerations take their key ("deDelphi") or their number; a number that names
        // none of the values would leave the setting outside its type.
        const QMetaEnum enumerator = property.enumerator();
        bool ok = false;
        const int number = value.typeId() == QMetaType::QString
            ? enumerator.keyToValue(value.toString().toLatin1().constData(), &ok)
            : value.toInt(&ok);
        if (ok && !enumerator.isFlag() && !enumerator.valueToKey(number))
            ok = false;
        return ok && property.write(object, number);
    }
    QVariant converted = value;
    if (!converted.convert(property.metaType()))
        return false;
    return property.write(object, converted);
}

QStringList apply(QObject* root, const std::vector<std::pair<QString, QVariant>>& settings)
{
    QStringList refused;
    for (const auto& [path, value] : settings) {
        if (!write(root, path, value))
            refused << path;
    }
    return refused;
}

} // namespace TnvPropertyPath
