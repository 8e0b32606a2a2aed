#include "RingfastScript.h"

#include "RingfastCallAudio.h"
#include "RingfastEvents.h"

#include <TnvLine.h>
#include <TnvNotation.h>
#include <TnvPropertyPath.h>
#include <TnvVantage.h>

#include <ControlCommandLine.h>
#include <ServiceControl.h>
#include <VisibleText.h>

#include <QDateTime>
#include <QEventLoop>
#include <QMetaEnum>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QTimer>

#include <array>
#include <vector>

using Telephony::VisibleText;

namespace {

const QStringList kScriptWords = {QStringLiteral("echo"), QStringLiteral("exit"),  QStringLiteral("help"),
                                  QStringLiteral("play"), QStringLiteral("quit"),  QStringLiteral("record"),
                                  QStringLiteral("sim"),  QStringLiteral("sleep"), QStringLiteral("wait")};

// QMetaMethod::invoke takes at most ten arguments.
constexpr int kMaxArguments = 10;

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + VisibleText::escaped(text) + QLatin1Char('\'');
}

std::optional<qlonglong> integerOf(const QString& text)
{
    bool ok = false;
    qlonglong value = 0;
    // Hexadecimal as the trace writes it ($0000FFFF) or as C does (0xFFFF).
    if (text.startsWith(QLatin1Char('$')))
        value = qlonglong(text.mid(1).toULongLong(&ok, 16));
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = qlonglong(text.mid(2).toULongLong(&ok, 16));
    else
        value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qlonglong>(value) : std::nullopt;
}

// The text of a script word as a value of type; nothing when it is not one.
std::optional<QVariant> valueOf(const QString& text, QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Bool:
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1"))
            return QVariant(true);
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0"))
            return QVariant(false);
        return std::nullopt;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        const std::optional<qlonglong> number = integerOf(text);
        if (!number)
            return std::nullopt;
        QVariant value(*number);
        // A number outside the type's range would wrap around silently.
        if (!value.convert(type) || value.toLongLong() != *number)
            return std::nullopt;
        return value;
    }
    case QMetaType::QString: return QVariant(text);
    case QMetaType::QChar:
        if (text.size() != 1)
            return std::nullopt;
        return QVariant(text.at(0));
    default: {
        QVariant value(text);
        if (!value.convert(type))
            return std::nullopt;
        return value;
    }
    }
}

QString valueText(const QVariant& value, const QMetaProperty& property)
{
    if (property.isValid() && property.isEnumType()) {
        const char* key = property.enumerator().valueToKey(value.toInt());
        if (key)
            return QLatin1String(key);
    }
    switch (value.typeId()) {
    case QMetaType::Bool: return TnvVantage::BoolText(value.toBool());
    case QMetaType::UInt:
    case QMetaType::ULong: return QLatin1Char('[') + TnvNotation::hex8(value.toUInt()) + QLatin1Char(']');
    case QMetaType::QString:
    case QMetaType::QChar: return quoted(value.toString());
    case QMetaType::QStringList: {
        QStringList items;
        for (const QString& item : value.toStringList())
            items << quoted(item);
        return items.join(QStringLiteral(", "));
    }
    case QMetaType::QDateTime: {
        const QDateTime time = value.toDateTime();
        return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) : QString();
    }
    default: return VisibleText::escaped(value.toString());
    }
}

bool isObject(const QMetaProperty& property)
{
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

QStringList memberNames(const QObject* object)
{
    QStringList names;
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        names << QLatin1String(meta->property(i).name());
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Method && method.access() == QMetaMethod::Public)
            names << QString::fromLatin1(method.name());
    }
    names.removeDuplicates();
    names.removeAll(QStringLiteral("objectName"));
    return names;
}

// Runs the event loop for ms milliseconds; events print meanwhile.
void pause(int ms)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

} // namespace

RingfastScript::RingfastScript(TnvLine& line, RingfastEvents& events, QTextStream& out)
    : m_line(line)
    , m_events(events)
    , m_out(out)
    , m_audio(std::make_unique<RingfastCallAudio>(line, events))
{
}

RingfastScript::~RingfastScript() = default;

std::optional<QStringList> RingfastScript::words(const QString& line, QString* error)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == u'\\' && i + 1 < line.size() && (line.at(i + 1) == u'"' || line.at(i + 1) == u'\\'))
                word += line.at(++i);
            else if (c == u'"')
                inQuotes = false;
            else
                word += c;
        } else if (c == u'"') {
            inQuotes = true;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == u'#' && !inWord) {
            break;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inQuotes) {
        if (error)
            *error = QStringLiteral("a quote is not closed");
        return std::nullopt;
    }
    if (inWord)
        words << word;
    return words;
}

bool RingfastScript::execute(const QString& line, QString* error)
{
    const std::optional<QStringList> list = words(line, error);
    if (!list)
        return false;
    if (list->isEmpty())
        return true;
    const bool scriptWord = kScriptWords.contains(list->first());
    QStringList resolved = *list;
    // echo shows values too; the other script words take plain words.
    if (!scriptWord || list->first() == QLatin1String("echo")) {
        for (qsizetype i = 1; i < resolved.size(); ++i) {
            if (!resolveReference(resolved[i], error))
                return false;
        }
    }
    return scriptWord ? runWord(resolved, error) : runName(resolved, error);
}

bool RingfastScript::resolveReference(QString& word, QString* error) const
{
    if (!word.startsWith(QLatin1Char('@')) || word.size() < 2 || !(word.at(1).isLetter() || word.at(1) == u'@'))
        return true;
    // "@@" stands for a plain "@".
    if (word.startsWith(QLatin1String("@@"))) {
        word.remove(0, 1);
        return true;
    }
    const QString path = word.mid(1);
    QString name;
    const QObject* object = owner(path, &name, error);
    if (!object)
        return false;
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    if (index < 0 || isObject(meta->property(index))) {
        *error = QStringLiteral("%1 names no value to use").arg(quoted(word));
        return false;
    }
    const QMetaProperty property = meta->property(index);
    const QVariant value = property.read(object);
    if (property.isEnumType())
        word = QString::fromLatin1(property.enumerator().valueToKey(value.toInt()));
    else if (value.typeId() == QMetaType::UInt)
        word = QStringLiteral("0x") + TnvNotation::hex8(value.toUInt()); // handles read as the trace shows them
    else
        word = value.toString();
    return true;
}

bool RingfastScript::runWord(const QStringList& words, QString* error)
{
    const QString& word = words.first();
    const QStringList arguments = words.mid(1);
    if (word == QLatin1String("echo")) {
        m_out << VisibleText::escaped(arguments.join(QLatin1Char(' '))) << '\n';
        m_out.flush();
        return true;
    }
    if (word == QLatin1String("quit") || word == QLatin1String("exit")) {
        m_quit = true;
        return true;
    }
    if (word == QLatin1String("help")) {
        m_out << "Script words: echo TEXT, sleep MS, wait EVENT [MS], sim COMMAND [--NAME VALUE]..., play FILE,\n"
              << "  record FILE [--seconds S] [--until-digit D], help, quit\n"
              << "Names of " << m_line.Name() << ": " << memberNames(&m_line).join(QStringLiteral(", ")) << '\n'
              << "Events: " << RingfastEvents::names().join(QStringLiteral(", ")) << '\n';
        m_out.flush();
        return true;
    }
    if (word == QLatin1String("sim"))
        return sim(arguments, error);
    if (word == QLatin1String("play"))
        return m_audio->play(arguments, error);
    if (word == QLatin1String("record"))
        return m_audio->record(arguments, error);

    const auto milliseconds = [&](const QString& text) -> std::optional<int> {
        const std::optional<qlonglong> value = integerOf(text);
        if (!value || *value < 0 || *value > kMaxWaitMs) {
            *error = QStringLiteral("%1 needs milliseconds from 0 to %2, not %3").arg(word).arg(kMaxWaitMs).arg(quoted(text));
            return std::nullopt;
        }
        return int(*value);
    };
    if (word == QLatin1String("sleep")) {
        if (arguments.size() != 1) {
            *error = QStringLiteral("sleep needs one number of milliseconds");
            return false;
        }
        const std::optional<int> ms = milliseconds(arguments.first());
        if (ms)
            pause(*ms);
        return ms.has_value();
    }
    // wait EVENT [MS]
    if (arguments.isEmpty() || arguments.size() > 2) {
        *error = QStringLiteral("wait needs an event name and may take milliseconds");
        return false;
    }
    const QString& event = arguments.first();
    if (!RingfastEvents::known(event)) {
        *error = QStringLiteral("%1 is not an event of %2").arg(quoted(event), m_line.Name());
        return false;
    }
    std::optional<int> ms = kDefaultWaitMs;
    if (arguments.size() == 2 && !(ms = milliseconds(arguments.at(1))))
        return false;
    if (!m_events.wait(event, *ms)) {
        *error = QStringLiteral("%1 did not come within %2 ms").arg(event).arg(*ms);
        return false;
    }
    return true;
}

bool RingfastScript::sim(const QStringList& arguments, QString* error)
{
    Telephony::ControlCommandLine command;
    command.parse(arguments);
    switch (command.action()) {
    case Telephony::ControlCommandLine::Action::Invalid:
        *error = QStringLiteral("sim: ") + command.errorText();
        return false;
    case Telephony::ControlCommandLine::Action::ShowUsage:
        m_out << Telephony::ControlCommandLine::usage();
        m_out.flush();
        return true;
    case Telephony::ControlCommandLine::Action::Send: break;
    }
    // The exchange runs in this process; its answer comes at once.
    const QJsonObject response = Telephony::serviceControl(command.command(), command.args());
    if (!response.value(QLatin1String("ok")).toBool()) {
        *error = QStringLiteral("sim %1: %2")
                     .arg(command.command(),
                          Telephony::ControlCommandLine::valueText(response.value(QLatin1String("error"))));
        return false;
    }
    for (const QString& line : Telephony::ControlCommandLine::fieldLines(response))
        m_out << "sim " << command.command() << ": " << line << '\n';
    m_out.flush();
    return true;
}

QObject* RingfastScript::owner(const QString& path, QString* last, QString* error) const
{
    const QStringList parts = path.split(QLatin1Char('.'));
    QObject* object = &m_line;
    QString walked;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QMetaObject* meta = object->metaObject();
        const int index = meta->indexOfProperty(parts.at(i).toLatin1().constData());
        if (index < 0 || !isObject(meta->property(index))) {
            *error = QStringLiteral("%1 has no part called %2")
                         .arg(walked.isEmpty() ? m_line.Name() : walked, quoted(parts.at(i)));
            return nullptr;
        }
        object = meta->property(index).read(object).value<QObject*>();
        walked += (walked.isEmpty() ? QString() : QStringLiteral(".")) + parts.at(i);
        if (!object) {
            *error = walked + QStringLiteral(" is not there");
            return nullptr;
        }
    }
    *last = parts.constLast();
    return object;
}

bool RingfastScript::runName(const QStringList& words, QString* error)
{
    const QString& path = words.first();
    QString name;
    QObject* object = owner(path, &name, error);
    if (!object)
        return false;
    const QMetaObject* meta = object->metaObject();
    if (meta->indexOfProperty(name.toLatin1().constData()) >= 0) {
        if (words.size() == 1)
            return readProperty(object, path, name, error);
        if (words.size() == 2)
            return writeProperty(object, path, name, words.at(1), error);
        *error = QStringLiteral("%1 takes one value; quote a value that holds blanks").arg(path);
        return false;
    }
    return invoke(object, path, name, words.mid(1), error);
}

bool RingfastScript::readProperty(const QObject* object, const QString& path, const QString& name, QString* error)
{
    const QMetaObject* meta = object->metaObject();
    const QMetaProperty property = meta->property(meta->indexOfProperty(name.toLatin1().constData()));
    const QVariant value = property.read(object);
    if (isObject(property)) {
        const QObject* child = value.value<QObject*>();
        if (!child) {
            *error = path + QStringLiteral(" is not there");
            return false;
        }
        printObject(child, path);
        return true;
    }
    m_out << path << " = " << valueText(value, property) << '\n';
    m_out.flush();
    return true;
}

void RingfastScript::printObject(const QObject* object, const QString& path)
{
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (isObject(property) || qstrcmp(property.name(), "objectName") == 0)
            continue;
        m_out << path << '.' << property.name() << " = " << valueText(property.read(object), property) << '\n';
    }
    m_out.flush();
}

bool RingfastScript::writeProperty(QObject* object, const QString& path, const QString& name, const QString& value,
                                   QString* error)
{
    const QMetaObject* meta = object->metaObject();
    const QMetaProperty property = meta->property(meta->indexOfProperty(name.toLatin1().constData()));
    if (!property.isWritable()) {
        *error = path + QStringLiteral(" can only be read");
        return false;
    }
    QVariant converted(value);
    if (!property.isEnumType()) {
        const std::optional<QVariant> typed = valueOf(value, property.metaType());
        if (!typed) {
            *error = QStringLiteral("%1 takes a %2, not %3").arg(path, QLatin1String(property.typeName()), quoted(value));
            return false;
        }
        converted = *typed;
    }
    m_line.Error()->Clear();
    if (!TnvPropertyPath::write(object, name, converted)) {
        *error = QStringLiteral("%1 does not take %2").arg(path, quoted(value));
        return false;
    }
    return !failedWithError(path + QStringLiteral(" := ") + value, error);
}

bool RingfastScript::invoke(QObject* object, const QString& path, const QString& name, const QStringList& arguments,
                            QString* error)
{
    const QMetaObject* meta = object->metaObject();
    QMetaMethod method;
    bool named = false;
    int most = 0;
    // Of the operations with that name, the one with the fewest parameters that takes
    // every argument given; parameters left over get their type's empty value.
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod candidate = meta->method(i);
        if (candidate.methodType() != QMetaMethod::Method || candidate.access() != QMetaMethod::Public
            || QLatin1String(candidate.name()) != name)
            continue;
        named = true;
        most = qMax(most, candidate.parameterCount());
        if (candidate.parameterCount() >= arguments.size()
            && (!method.isValid() || candidate.parameterCount() < method.parameterCount()))
            method = candidate;
    }
    if (!named) {
        *error = QStringLiteral("%1 is neither a property nor an operation").arg(path);
        return false;
    }
    if (!method.isValid() || method.parameterCount() > kMaxArguments) {
        *error = QStringLiteral("%1 takes at most %2 arguments").arg(path).arg(qMin(most, kMaxArguments));
        return false;
    }
    std::vector<QVariant> values;
    for (int i = 0; i < method.parameterCount(); ++i) {
        const QMetaType type = method.parameterMetaType(i);
        if (i >= arguments.size()) {
            values.emplace_back(type);
            continue;
        }
        const std::optional<QVariant> value = valueOf(arguments.at(i), type);
        if (!value) {
            *error = QStringLiteral("%1: %2 is not a %3")
                         .arg(path, quoted(arguments.at(i)), QLatin1String(method.parameterTypeName(i)));
            return false;
        }
        values.push_back(*value);
    }
    // The arguments point into these; both outlive the call.
    std::vector<QByteArray> typeNames;
    for (int i = 0; i < method.parameterCount(); ++i)
        typeNames.push_back(method.parameterTypeName(i));
    std::array<QGenericArgument, kMaxArguments> generic{};
    for (std::size_t i = 0; i < values.size(); ++i)
        generic[i] = QGenericArgument(typeNames[i].constData(), values[i].constData());
    QVariant result(method.returnMetaType());
    const QGenericReturnArgument returned(method.typeName(), result.data());
    m_line.Error()->Clear();
    const bool called = method.invoke(object, Qt::DirectConnection, returned, generic[0], generic[1], generic[2],
                                      generic[3], generic[4], generic[5], generic[6], generic[7], generic[8],
                                      generic[9]);
    if (!called) {
        *error = QStringLiteral("%1 could not be called").arg(path);
        return false;
    }
    if (result.typeId() == QMetaType::Bool) {
        if (result.toBool())
            return true;
        *error = path + QStringLiteral(" failed");
        if (m_line.Error()->Number() != 0)
            *error += QStringLiteral(": ") + m_line.Error()->Text();
        return false;
    }
    if (result.isValid())
        printValue(path, result);
    return true;
}

void RingfastScript::printValue(const QString& path, const QVariant& value)
{
    m_out << path << " = " << valueText(value, QMetaProperty()) << '\n';
    m_out.flush();
}

bool RingfastScript::failedWithError(const QString& what, QString* error) const
{
    if (m_line.Error()->Number() == 0)
        return false;
    *error = what + QStringLiteral(" failed: ") + m_line.Error()->Text();
    return true;
}

QStringList RingfastScript::completions(const QString& lineBefore, const QString& partial) const
{
    QStringList found;
    const QString before = lineBefore.trimmed();
    if (before == QLatin1String("wait")) {
        for (const QString& event : RingfastEvents::names())
            if (event.startsWith(partial))
                found << event;
        found.sort();
        return found;
    }
    if (!before.isEmpty())
        return found;
    const qsizetype dot = partial.lastIndexOf(QLatin1Char('.'));
    const QString prefix = dot < 0 ? QString() : partial.left(dot + 1);
    const QString stem = partial.mid(dot + 1);
    QString last;
    QString ignored;
    const QObject* object = dot < 0 ? &m_line : owner(partial, &last, &ignored);
    if (!object)
        return found;
    for (const QString& name : memberNames(object))
        if (name.startsWith(stem))
            found << prefix + name;
    if (dot < 0) {
        for (const QString& word : kScriptWords)
            if (word.startsWith(stem))
                found << word;
    }
    found.sort();
    return found;
}
