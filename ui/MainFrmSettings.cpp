// The main window's side of the settings store: the selection and the text of
// the output folder box.
#include "ConvertPage.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "SettingsStore.h"

void TMainForm::LoadSettings() {
    QString outputFolder = ConvertPage()->OutputFolderText();
    SettingsStore::LoadSettings(ProfileSelection, outputFolder);
    ConvertPage()->SetOutputFolderText(outputFolder);
    QString sourceFolder;
    if (SettingsStore::ReadStringSetting(QString::fromLatin1(SettingsStore::LastSourceFolderName),
                                         sourceFolder))
        OpenClipPage()->SetLastSourceFolder(sourceFolder);
}

void TMainForm::SaveSettings() {
    SettingsStore::SaveSettings(ProfileSelection, ConvertPage()->OutputFolderText());
    // None is stored before the first clip has been added.
    const QString sourceFolder = OpenClipPage()->LastSourceFolder();
    if (!sourceFolder.isEmpty())
        SettingsStore::WriteStringSetting(QString::fromLatin1(SettingsStore::LastSourceFolderName),
                                          sourceFolder);
}
