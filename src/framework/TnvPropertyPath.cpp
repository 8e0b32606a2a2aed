#include "TnvPropertyPath.h"

#include <QHash>
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

// The object a property holds, or null when it holds none. The pointer is read as it
// is, without boxing it in a QVariant, which would register its type first: a sub-object
// property's type is a pointer to a class whose first base is QObject, as moc requires.
QObject* subObject(QObject* object, const QMetaProperty& property)
{
    if (!(property.metaType().flags() & QMetaType::PointerToQObject))
        return nullptr;
    QObject* value = nullptr;
    int status = -1;
    void* argv[] = {&value, nullptr, &status};
    QMetaObject::metacall(object, QMetaObject::ReadProperty, property.propertyIndex(), argv);
    return value;
}

// The object that owns a path's last name, and whether every step there went through a
// constant property, so the same steps always lead to the same object.
struct Owner {
    QObject* object = nullptr;
    bool constant = true;
};

// Walks the sub-objects named by ownerPath (a null path: the root itself).
Owner resolve(const QObject* root, QStringView ownerPath)
{
    Owner owner{const_cast<QObject*>(root), true};
    if (ownerPath.isNull())
        return owner;
    qsizetype start = 0;
    for (;;) {
        const qsizetype dot = ownerPath.indexOf(u'.', start);
        const qsizetype end = dot < 0 ? ownerPath.size() : dot;
        const QMetaProperty property = findProperty(owner.object, ownerPath.sliced(start, end - start));
        if (!property.isValid())
            return {};
        owner.constant = owner.constant && property.isConstant();
        owner.object = subObject(owner.object, property);
        if (!owner.object || dot < 0)
            return owner;
        start = dot + 1;
    }
}

// Splits "A.B.C" into the owner's path "A.B" and the name "C"; the owner's path is null
// for a name of the root.
std::pair<QStringView, QStringView> split(QStringView path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return {QStringView(), path};
    return {path.first(dot), path.sliced(dot + 1)};
}

bool writeTo(QObject* object, QStringView name, const QVariant& value)
{
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

} // namespace

QVariant read(const QObject* root, const QString& path)
{
    const auto [ownerPath, name] = split(path);
    const Owner owner = resolve(root, ownerPath);
    if (!owner.object)
        return {};
    const QMetaProperty property = findProperty(owner.object, name);
    return property.isValid() ? property.read(owner.object) : QVariant();
}

bool write(QObject* root, const QString& path, const QVariant& value)
{
    const auto [ownerPath, name] = split(path);
    const Owner owner = resolve(root, ownerPath);
    return owner.object && writeTo(owner.object, name, value);
}

QStringList apply(QObject* root, const std::vector<std::pair<QString, QVariant>>& settings)
{
    // Stored settings come grouped by sub-object; a sub-object reached only through
    // constant properties is looked up once.
    QHash<QStringView, QObject*> owners;
    QStringList refused;
    for (const auto& [path, value] : settings) {
        const auto [ownerPath, name] = split(path);
        // The root needs no look-up, and an empty owner path is a mangled one, not the root.
        QObject* object = ownerPath.isNull() ? root : owners.value(ownerPath);
        if (!object) {
            const Owner owner = resolve(root, ownerPath);
            object = owner.object;
            if (object && owner.constant && !ownerPath.isEmpty())
                owners.insert(ownerPath, object);
        }
        if (!object || !writeTo(object, name, value))
            refused << path;
    }
    return refused;
}

} // namespace TnvPropertyPath
