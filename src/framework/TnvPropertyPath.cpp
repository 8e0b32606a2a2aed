#include "TnvPropertyPath.h"

#include <QMetaEnum>
#include <QMetaProperty>
#include <QVarLengthArray>

namespace TnvPropertyPath {

namespace {

QMetaProperty findProperty(const QObject* object, QStringView name)
{
    // Property names are ASCII: a name with anything else names none, and the look-up
    // needs no string of its own.
    QVarLengthArray<char, 64> latin(name.size() + 1);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c == 0 || c > 0x7f)
            return {};
        latin[i] = char(c);
    }
    latin[name.size()] = '\0';
    const int index = object->metaObject()->indexOfProperty(latin.constData());
    return index < 0 ? QMetaProperty() : object->metaObject()->property(index);
}

// Resolves every segment but the last to its sub-object; returns the owner of the
// last segment and its property name.
std::pair<QObject*, QStringView> resolve(const QObject* root, QStringView path)
{
    QObject* object = const_cast<QObject*>(root);
    qsizetype start = 0;
    for (qsizetype dot = path.indexOf(u'.'); object && dot >= 0; dot = path.indexOf(u'.', start)) {
        const QMetaProperty property = findProperty(object, path.sliced(start, dot - start));
        if (!property.isValid())
            return {nullptr, {}};
        object = property.read(object).value<QObject*>();
        start = dot + 1;
    }
    return {object, path.sliced(start)};
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
