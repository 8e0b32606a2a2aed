// The configuration file: whatever the bytes, reading never fails or crashes, and what
// survives a damaged file is written back so that it reads again whole and unchanged.

#include <DialingLocations.h>
#include <IniDocument.h>
#include <IniValue.h>
#include <TelephonyConfig.h>

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Telephony;

namespace {

[[noreturn]] void broken(const char* what, const QByteArray& text, const QStringList& warnings)
{
    std::fprintf(stderr, "%s\n--- written ---\n%s\n--- warnings ---\n%s\n", what, text.constData(),
                 warnings.join(QLatin1Char('\n')).toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TelephonyConfig config(QStringLiteral("fuzz.conf"));
    config.loadText(bytes);
    for (const DialingLocation& location : config.locations()) {
        if (!DialingLocations::checkLocation(location).isEmpty())
            broken("a location that does not pass its own check was read", bytes, config.warnings());
    }
    if (!TelephonyConfig::checkSettings(config.providers().first().settings).isEmpty())
        broken("provider settings that cannot be stored were read", bytes, config.warnings());

    const QByteArray written = config.toText();
    TelephonyConfig again(QStringLiteral("fuzz.conf"));
    if (!again.loadText(written))
        broken("the written file does not read back without warnings", written, again.warnings());
    if (again.providers() != config.providers() || again.locations() != config.locations()
        || again.currentLocationId() != config.currentLocationId())
        broken("the written file reads back different", written, again.warnings());

    // The value syntax on its own, one line at a time, for the values a file may hold.
    QString problem;
    for (const QByteArray& line : bytes.left(4096).split('\n')) {
        const QVariant value = IniValue::parse(QString::fromUtf8(line).trimmed(), &problem);
        if (value.isValid() && TelephonyConfig::checkSettings({{QStringLiteral("key"), value}}).isEmpty()) {
            const QVariant back = IniValue::parse(IniValue::format(value), &problem);
            if (back != value || back.typeId() != value.typeId())
                broken("a value does not read back as itself", IniValue::format(value).toUtf8(), {});
        }
    }
    return 0;
}
