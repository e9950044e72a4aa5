// The main window's side of the settings store: the selection and the text of
// the output folder box.
#include <QLineEdit>

#include "MainFrm.h"
#include "SettingsStore.h"

void TMainForm::LoadSettings() {
    QString outputFolder = ebOutFolder->text();
    SettingsStore::LoadSettings(ProfileSelection, outputFolder);
    ebOutFolder->setText(outputFolder);
}

void TMainForm::SaveSettings() {
    SettingsStore::SaveSettings(ProfileSelection, ebOutFolder->text());
}

void TMainForm::WriteIntegerSetting(const QString& path, int32_t value) {
    SettingsStore::WriteIntegerSetting(path, value);
}

void TMainForm::WriteStringSetting(const QString& path, const QString& text) {
    SettingsStore::WriteStringSetting(path, text);
}

bool TMainForm::ReadIntegerSetting(const QString& path, int32_t& value) {
    return SettingsStore::ReadIntegerSetting(path, value);
}

bool TMainForm::ReadStringSetting(const QString& path, QString& text) {
    return SettingsStore::ReadStringSetting(path, text);
}
