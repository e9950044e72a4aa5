// The user's stored choices: the phone, picture size and quality of the
// selection and the output folder, kept per user between runs (on Windows in
// the registry key Software\Brenholt\Kestovar3GPVideoConverter, elsewhere in
// ~/.config/Brenholt/Kestovar3GPVideoConverter.conf).
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

#include "ProfileSelection.h"

// A stored value that cannot be read or written. The message names the value:
// "Invalid data type for 'Quality'".
class TSettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A path names one value: the text after its last backslash is the value's
// name, the text before it a key path below the application's key.
namespace SettingsStore {

// Stores one value. Throws TSettingsError "Failed to set data for '<name>'"
// when the store refuses it.
void WriteIntegerSetting(const QString& path, int32_t value);
void WriteStringSetting(const QString& path, const QString& text);

// True when the value exists, which is then read into the out parameter;
// false, leaving it untouched, when it does not. A value of another type
// throws TSettingsError "Invalid data type for '<name>'"; an integer too
// large for 32 bits throws "Failed to get data for '<name>'".
bool ReadIntegerSetting(const QString& path, int32_t& value);
bool ReadStringSetting(const QString& path, QString& text);

// The eleven stored values, in the order they are read and written.
inline constexpr const char* ValueNames[11] = {"PhoneManufacturer", "PhoneModel",   "Resolution",
                                               "Quality",           "FrameRate",    "VideoQuality",
                                               "AudioFrequency",    "AudioQuality", "AudioChannels",
                                               "OutputFolder",      "PictureFit"};

// Values added later, read and written after the eleven: the size limit's row
// and the sound choice (0 as recorded, 1 even loudness).
inline constexpr const char* PhoneValueNames[2] = {"SizeLimit", "EvenLoudness"};
// Subtitles: 0 None, 1 Burn in; read and written last.
inline constexpr const char* SubtitlesValueName = "Subtitles";

// The folder of the last clip added (a string), where the open dialog starts;
// not stored until a clip has been added.
inline constexpr const char* LastSourceFolderName = "LastSourceFolder";

// Replaces each field of the selection, and the output folder, for which a
// value is stored; the others keep what they hold. Numbers are taken as they
// are stored (the caller settles them). The first failure ends the load.
void LoadSettings(ProfileSelection& selection, QString& outputFolder);
// Stores the fields, the output folder, whatever its text, and the two
// later values. The first failure ends the save.
void SaveSettings(const ProfileSelection& selection, const QString& outputFolder);

}  // namespace SettingsStore
