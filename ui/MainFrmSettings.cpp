// The main window's side of the settings store: the selection and the text of
// the output folder box.
#include "ConvertPage.h"
#include "MainFrm.h"
#include "SettingsStore.h"

void TMainForm::LoadSettings() {
    QString outputFolder = ConvertPage()->OutputFolderText();
    SettingsStore::LoadSettings(ProfileSelection, outputFolder);
    ConvertPage()->SetOutputFolderText(outputFolder);
}

void TMainForm::SaveSettings() {
    SettingsStore::SaveSettings(ProfileSelection, ConvertPage()->OutputFolderText());
}
