// The JSON settings reader. Whatever it accepts, written back and read again gives the same
// settings, and writing those gives the same bytes: settings survive any number of rewrites.
#include <QBuffer>
#include <QByteArray>

#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "settings/qt/JsonSettingsStore.h"

using namespace veltra;

namespace {

bool Read(const QByteArray& bytes, QSettings::SettingsMap& map)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadJsonSettings(buffer, map);
}

QByteArray Write(const QSettings::SettingsMap& map)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    fuzz::Check(WriteJsonSettings(buffer, map), "settings that were read can be written");
    buffer.close();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QSettings::SettingsMap map;
    if (!Read(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), map))
        return 0;
    const QByteArray written = Write(map);
    QSettings::SettingsMap reread;
    fuzz::Check(Read(written, reread), "written settings read back");
    fuzz::Check(reread == map, "written settings read back unchanged");
    fuzz::Check(Write(reread) == written, "a rewrite gives the same bytes");
    return 0;
}
