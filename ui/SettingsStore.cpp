#include "SettingsStore.h"

#include <QSettings>
#include <QVariant>
#include <limits>

#include "Process.h"

namespace {

const QString Organisation = QStringLiteral("Brenholt");
const QString Application = QStringLiteral("Kestovar3GPVideoConverter");

// The key of a path in QSettings terms and the value's name for messages.
struct ValueLocation {
    QString Key;
    QString Name;
};

ValueLocation Locate(const QString& path) {
    const qsizetype split = path.lastIndexOf(u'\\');
    ValueLocation location;
    location.Name = split < 0 ? path : path.mid(split + 1);
    location.Key = split < 0 ? path : path.left(split).replace(u'\\', u'/') + u'/' + location.Name;
    return location;
}

[[noreturn]] void Fail(const char* format, const QString& name) {
    throw TSettingsError(QString::asprintf(format, name.toUtf8().constData()).toStdString());
}

void Write(const QString& path, const QVariant& value) {
    const ValueLocation location = Locate(path);
    QSettings settings(Organisation, Application);
    settings.setValue(location.Key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError) Fail("Failed to set data for '%s'", location.Name);
}

bool FitsInt32(long long value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

}  // namespace

namespace SettingsStore {

void WriteIntegerSetting(const QString& path, int32_t value) {
    Write(path, value);
}

void WriteStringSetting(const QString& path, const QString& text) {
    Write(path, text);
}

bool ReadIntegerSetting(const QString& path, int32_t& value) {
    const ValueLocation location = Locate(path);
    QSettings settings(Organisation, Application);
    if (!settings.contains(location.Key)) return false;
    const QVariant stored = settings.value(location.Key);
    switch (stored.typeId()) {
        case QMetaType::Int:
            value = stored.toInt();
            return true;
        case QMetaType::UInt:
            // A 32-bit registry number read as unsigned: the same four bytes.
            value = static_cast<int32_t>(stored.toUInt());
            return true;
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            // A 64-bit number has more data than an integer value holds.
            if (stored.typeId() == QMetaType::ULongLong || !FitsInt32(stored.toLongLong()))
                Fail("Failed to get data for '%s'", location.Name);
            value = static_cast<int32_t>(stored.toLongLong());
            return true;
        case QMetaType::QString: {
            // Files keep numbers as text: only a whole decimal number is one.
            // The registry keeps types: text there is never a number.
            if (!platform::SettingsKeepNumbersAsText()) {
                Fail("Invalid data type for '%s'", location.Name);
            }
            bool isNumber = false;
            const long long number = stored.toString().trimmed().toLongLong(&isNumber, 10);
            if (!isNumber) Fail("Invalid data type for '%s'", location.Name);
            if (!FitsInt32(number)) Fail("Failed to get data for '%s'", location.Name);
            value = static_cast<int32_t>(number);
            return true;
        }
        default:
            Fail("Invalid data type for '%s'", location.Name);
    }
}

bool ReadStringSetting(const QString& path, QString& text) {
    const ValueLocation location = Locate(path);
    QSettings settings(Organisation, Application);
    if (!settings.contains(location.Key)) return false;
    const QVariant stored = settings.value(location.Key);
    switch (stored.typeId()) {
        case QMetaType::QString:
            text = stored.toString();
            return true;
        case QMetaType::QByteArray:
            if (!stored.toByteArray().isEmpty()) break;
            text.clear();  // empty data reads as the empty text, whatever its type
            return true;
        case QMetaType::QStringList:
            if (!stored.toStringList().isEmpty()) break;
            text.clear();
            return true;
        default:
            break;
    }
    Fail("Invalid data type for '%s'", location.Name);
}

void LoadSettings(ProfileSelection& s, QString& outputFolder) {
    int32_t* const fields[9] = {&s.PhoneManufacturer, &s.PhoneModel,   &s.Resolution,
                                &s.Quality,           &s.FrameRate,    &s.VideoQuality,
                                &s.AudioFrequency,    &s.AudioQuality, &s.AudioChannels};
    for (int i = 0; i < 9; ++i) ReadIntegerSetting(QString::fromLatin1(ValueNames[i]), *fields[i]);
    ReadStringSetting(QString::fromLatin1(ValueNames[9]), outputFolder);
    ReadIntegerSetting(QString::fromLatin1(ValueNames[10]), s.PictureFit);
    ReadIntegerSetting(QString::fromLatin1(PhoneValueNames[0]), s.SizeLimit);
    ReadIntegerSetting(QString::fromLatin1(PhoneValueNames[1]), s.EvenLoudness);
    ReadIntegerSetting(QString::fromLatin1(SubtitlesValueName), s.Subtitles);
}

void SaveSettings(const ProfileSelection& s, const QString& outputFolder) {
    const int32_t fields[9] = {s.PhoneManufacturer, s.PhoneModel,   s.Resolution,
                               s.Quality,           s.FrameRate,    s.VideoQuality,
                               s.AudioFrequency,    s.AudioQuality, s.AudioChannels};
    for (int i = 0; i < 9; ++i) WriteIntegerSetting(QString::fromLatin1(ValueNames[i]), fields[i]);
    WriteStringSetting(QString::fromLatin1(ValueNames[9]), outputFolder);
    WriteIntegerSetting(QString::fromLatin1(ValueNames[10]), s.PictureFit);
    WriteIntegerSetting(QString::fromLatin1(PhoneValueNames[0]), s.SizeLimit);
    WriteIntegerSetting(QString::fromLatin1(PhoneValueNames[1]), s.EvenLoudness);
    WriteIntegerSetting(QString::fromLatin1(SubtitlesValueName), s.Subtitles);
}

}  // namespace SettingsStore
