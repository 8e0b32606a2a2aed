#pragma once

#include <QString>
#include <QVariant>

namespace Telephony {

// Values in the configuration file. Provider settings keep their type through a save
// and a load, because the configuration dialog shows each type with its own editor:
// true/false is a bool, 12 an int, 1.0 or 2e-3 a double, "quoted" (or any other bare
// text) a string. Dialing codes are read as plain text so that "020" keeps its zero.
class IniValue {
public:
    static constexpr int maxTextLength = 1024;

    // A typed setting value; an invalid QVariant and a problem text when the value is
    // malformed or out of range.
    static QVariant parse(const QString& raw, QString* problem);
    // The literal that parse() reads back as the same type and value; empty for types
    // the file cannot hold.
    static QString format(const QVariant& value);
    static bool canFormat(const QVariant& value);

    // Plain text: quotes are optional and removed. False when a quoted text is broken.
    static bool text(const QString& raw, QString* out);
    // Bare when the text reads back unchanged, quoted otherwise.
    static QString formatText(const QString& text);
    static QString quote(const QString& text);
    // Whether a text holds a control character, which no value of the file may.
    static bool hasControlCharacter(QStringView text);
};

} // namespace Telephony
