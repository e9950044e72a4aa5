// Step 2 of the wizard: the phone manufacturer, model and picture size
// selectors, the quality level, and the main window's side of the Quality
// Settings dialog. Every choice goes through the ProfileSelection operations;
// the handlers here only refresh the texts and the menus after each one.
#include "SelPhoneModelPage.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "AdvancedSettingsFrm.h"
#include "ControlFactory.h"
#include "Formatparams.h"
#include "PopupSelector.h"
#include "SizeLimit.h"

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRadioButton* MakeRadioButton(const char* name, const QString& caption, QWidget* parent,
                              QRect geometry) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // The caption must not be cut off where the installed font is wider
    // than the one the layout was made for; the buttons have room to grow.
    geometry.setWidth(std::max(geometry.width(), button->sizeHint().width()));
    button->setGeometry(geometry);
    return button;
}

// One menu item: its tag is the row number its handler receives.
QAction* AddItem(QMenu* menu, const QString& caption, int tag) {
    QAction* item = menu->addAction(caption);
    item->setData(tag);
    return item;
}

constexpr int kResolutionItemCount = static_cast<int>(ResolutionTable.size());

}  // namespace

TSelPhoneModelPage::TSelPhoneModelPage(QWidget* parent, ::ProfileSelection& selection)
    : QWidget(parent), ProfileSelection(selection) {
    setObjectName(QStringLiteral("SelPhoneModelPage"));
    gbSelPhoneModel = new QGroupBox(tr("Select phone model"), this);
    gbSelPhoneModel->setObjectName(QStringLiteral("gbSelPhoneModel"));
    gbSelPhoneModel->setGeometry(3, 3, 413, 94);
    gbSelQuality = new QGroupBox(tr("Select quality"), this);
    gbSelQuality->setObjectName(QStringLiteral("gbSelQuality"));
    gbSelQuality->setGeometry(3, 100, 413, 66);

    MakeLabel(gbSelPhoneModel, nullptr, tr("Manufacturer:"), {16, 31});
    TPopupSelector manufacturer =
        MakePopupSelector(gbSelPhoneModel, this, QStringLiteral("PhoneManufacturer"),
                          {92, 26, 85, 23}, {177, 26, 17, 23});
    ebPhoneManufacturer = manufacturer.Field;
    btnSelectPhoneManufacturer = manufacturer.Button;
    PhoneManufacturerPopupActionBar = manufacturer.Menu;

    MakeLabel(gbSelPhoneModel, nullptr, tr("Model:"), {205, 31});
    TPopupSelector model = MakePopupSelector(gbSelPhoneModel, this, QStringLiteral("PhoneModel"),
                                             {242, 26, 136, 23}, {378, 26, 17, 23});
    ebPhoneModel = model.Field;
    btnSelectPhoneModel = model.Button;
    PhoneModelPopupActionBar = model.Menu;

    MakeLabel(gbSelPhoneModel, nullptr, tr("Resolution:"), {16, 60});
    TPopupSelector resolution = MakePopupSelector(
        gbSelPhoneModel, this, QStringLiteral("Resolution"), {92, 56, 64, 23}, {156, 56, 17, 23});
    ebResolution = resolution.Field;
    btnSelectResolution = resolution.Button;
    ResolutionPopupActionBar = resolution.Menu;

    connect(btnSelectPhoneManufacturer, &QPushButton::clicked, this,
            &TSelPhoneModelPage::btnSelectPhoneManufacturerClick);
    connect(btnSelectPhoneModel, &QPushButton::clicked, this,
            &TSelPhoneModelPage::btnSelectPhoneModelClick);
    connect(btnSelectResolution, &QPushButton::clicked, this,
            &TSelPhoneModelPage::btnSelectResolutionClick);

    cbLow = MakeRadioButton("cbLow", tr("Low"), gbSelQuality, {16, 35, 38, 15});
    cbMedium = MakeRadioButton("cbMedium", tr("Medium"), gbSelQuality, {77, 35, 55, 15});
    cbHight = MakeRadioButton("cbHight", tr("Hight"), gbSelQuality, {138, 35, 44, 15});
    cbBest = MakeRadioButton("cbBest", tr("Best"), gbSelQuality, {199, 35, 40, 15});
    cbCustom = MakeRadioButton("cbCustom", tr("Custom"), gbSelQuality, {260, 35, 55, 15});
    QualityButtons = new QButtonGroup(this);
    QualityButtons->setExclusive(true);
    for (QRadioButton* button : {cbLow, cbMedium, cbHight, cbBest, cbCustom})
        QualityButtons->addButton(button);
    // Medium is the checked one before the stored level is restored; it is
    // checked before the handlers are connected, so nothing runs for it.
    cbMedium->setChecked(true);
    connect(cbLow, &QRadioButton::toggled, this, &TSelPhoneModelPage::cbLowChange);
    connect(cbMedium, &QRadioButton::toggled, this, &TSelPhoneModelPage::cbMediumChange);
    connect(cbHight, &QRadioButton::toggled, this, &TSelPhoneModelPage::cbHightChange);
    connect(cbBest, &QRadioButton::toggled, this, &TSelPhoneModelPage::cbBestChange);
    connect(cbCustom, &QRadioButton::toggled, this, &TSelPhoneModelPage::cbCustomChange);

    btnAdvanced = new QPushButton(tr("Customize"), gbSelQuality);
    btnAdvanced->setObjectName(QStringLiteral("btnAdvanced"));
    btnAdvanced->setGeometry(335, 33, 60, 23);
    btnAdvanced->setAutoDefault(false);
    btnAdvanced->setFocusPolicy(Qt::TabFocus);
    connect(btnAdvanced, &QPushButton::clicked, this, &TSelPhoneModelPage::btnAdvancedClick);

    CreatePreview();
}

void TSelPhoneModelPage::PopupButtonMenu(TPopupButton* button) {
    ::PopupButtonMenu(button);
}

void TSelPhoneModelPage::ShowPhoneManufacturer() {
    ShowSelectorText(ebPhoneManufacturer,
                     Text(ManufacturerTable[ProfileSelection.PhoneManufacturer].Name));
}

void TSelPhoneModelPage::ShowPhoneModel() {
    ShowSelectorText(ebPhoneModel,
                     QString::fromStdString(PhoneModelText(ProfileSelection.PhoneModel)));
}

void TSelPhoneModelPage::ShowResolution() {
    ProfileSelection.ApplyResolution();
    ShowSelectorText(ebResolution, QString::fromStdString(
                                       SizeText(ProfileSelection.Width, ProfileSelection.Height)));
}

void TSelPhoneModelPage::FilterPhoneModelMenu() {
    for (int i = kResolutionItemCount; i < SelectorMenuItems.size(); ++i) {
        QAction* item = SelectorMenuItems[i];
        item->setVisible(PhoneModelTable[item->data().toInt()].Manufacturer ==
                         ProfileSelection.PhoneManufacturer);
    }
}

void TSelPhoneModelPage::FilterResolutionMenu() {
    for (int i = 0; i < kResolutionItemCount && i < SelectorMenuItems.size(); ++i) {
        SelectorMenuItems[i]->setVisible(
            IsResolutionAllowed(ProfileSelection.VideoCodec, ResolutionTable[i].Index));
    }
}

void TSelPhoneModelPage::ShowFrameRate() {
    if (AdvancedSettingsForm == nullptr) return;
    ShowSelectorText(AdvancedSettingsForm->ebFramerate,
                     Text(FrameRateTable[ProfileSelection.FrameRate].Name));
}

void TSelPhoneModelPage::ShowVideoQuality() {
    if (AdvancedSettingsForm == nullptr) return;
    const bool limited = ProfileSelection.SizeLimitBytes() > 0;
    ShowSelectorText(AdvancedSettingsForm->ebVideoQuality,
                     limited ? QStringLiteral("Size limit")
                             : QString::fromStdString(BitrateText(ProfileSelection.VideoQuality)));
    AdvancedSettingsForm->btnSelectVideoQuality->setEnabled(!limited);
}

void TSelPhoneModelPage::ShowSizeLimit() {
    if (AdvancedSettingsForm == nullptr) return;
    ShowSelectorText(AdvancedSettingsForm->ebSizeLimit,
                     Text(SizeLimitTable[ProfileSelection.SizeLimit].Name));
    ShowVideoQuality();
}

void TSelPhoneModelPage::ShowSound() {
    if (AdvancedSettingsForm == nullptr) return;
    ShowSelectorText(AdvancedSettingsForm->ebSound,
                     Text(SoundChoiceNames[ProfileSelection.EvenLoudness]));
}

void TSelPhoneModelPage::ShowAudioQuality() {
    if (AdvancedSettingsForm == nullptr) return;
    ShowSelectorText(
        AdvancedSettingsForm->ebAudioQuality,
        QString::fromStdString(BitrateText(AudioBitrateList[ProfileSelection.AudioQuality])));
}

QRadioButton* TSelPhoneModelPage::QualityButton(int level) const {
    switch (level) {
        case QualityLow:
            return cbLow;
        case QualityHight:
            return cbHight;
        case QualityBest:
            return cbBest;
        case QualityCustom:
            return cbCustom;
        default:
            return cbMedium;
    }
}

void TSelPhoneModelPage::RestoreQualityLevel() {
    QualityButton(ProfileSelection.Quality)->setChecked(true);
}

void TSelPhoneModelPage::BuildSelectorMenus() {
    SelectorMenuItems.clear();

    for (const NamedEntry& row : ManufacturerTable) {
        QAction* item = AddItem(PhoneManufacturerPopupActionBar, Text(row.Name), row.Id);
        connect(item, &QAction::triggered, this, [this, item] { OnPhoneManufacturerClick(item); });
    }
    ShowPhoneManufacturer();
    ShowPhoneModel();

    QList<QAction*> modelItems;
    for (int row = 0; row < static_cast<int>(PhoneModelTable.size()); ++row) {
        QAction* item =
            AddItem(PhoneModelPopupActionBar, QString::fromStdString(PhoneModelText(row)), row);
        connect(item, &QAction::triggered, this, [this, item] { OnPhoneModelClick(item); });
        modelItems.append(item);
    }

    ShowResolution();
    QList<QAction*> resolutionItems;
    for (int row = 0; row < kResolutionItemCount; ++row) {
        QAction* item =
            AddItem(ResolutionPopupActionBar, QString::fromStdString(ResolutionText(row)), row);
        connect(item, &QAction::triggered, this, [this, item] { OnResolutionClick(item); });
        resolutionItems.append(item);
    }

    // The filters walk one list: the resolution items, then the model items.
    SelectorMenuItems = resolutionItems + modelItems;
    FilterPhoneModelMenu();
    FilterResolutionMenu();
}

void TSelPhoneModelPage::BuildQualityMenus() {
    TAdvancedSettingsForm* dialog = AdvancedSettingsForm;
    if (dialog == nullptr) return;

    ShowFrameRate();
    for (int row = 0; row < static_cast<int>(FrameRateTable.size()); ++row) {
        QAction* item =
            AddItem(dialog->FrameratePopupActionBar, Text(FrameRateTable[row].Name), row);
        connect(item, &QAction::triggered, this, [this, item] { OnFramerateClick(item); });
    }
    ShowVideoQuality();
    for (int row = 0; row < static_cast<int>(VideoBitrateList.size()); ++row) {
        QAction* item = AddItem(dialog->VideoQualityPopupActionBar,
                                QString::fromStdString(BitrateText(VideoBitrateList[row])), row);
        connect(item, &QAction::triggered, this, [this, item] { OnVideoQualityClick(item); });
    }
    ShowAudioQuality();
    for (int row = 0; row < static_cast<int>(AudioBitrateList.size()); ++row) {
        QAction* item = AddItem(dialog->AudioQualityPopupActionBar,
                                QString::fromStdString(BitrateText(AudioBitrateList[row])), row);
        connect(item, &QAction::triggered, this, [this, item] { OnAudioQualityClick(item); });
    }
    ShowSizeLimit();
    for (int row = 0; row < static_cast<int>(SizeLimitTable.size()); ++row) {
        QAction* item =
            AddItem(dialog->SizeLimitPopupActionBar, Text(SizeLimitTable[row].Name), row);
        connect(item, &QAction::triggered, this, [this, item] { OnSizeLimitClick(item); });
    }
    ShowSound();
    for (int row = 0; row < static_cast<int>(SoundChoiceNames.size()); ++row) {
        QAction* item = AddItem(dialog->SoundPopupActionBar, Text(SoundChoiceNames[row]), row);
        connect(item, &QAction::triggered, this, [this, item] { OnSoundClick(item); });
    }
    // The preview follows the dialog's choices as they are made.
    for (QMenu* menu : {dialog->FrameratePopupActionBar, dialog->VideoQualityPopupActionBar,
                        dialog->AudioQualityPopupActionBar, dialog->PictureFitPopupActionBar,
                        dialog->SizeLimitPopupActionBar, dialog->SoundPopupActionBar}) {
        WatchForChanges(menu);
    }
}

void TSelPhoneModelPage::btnSelectPhoneManufacturerClick() {
    PopupButtonMenu(btnSelectPhoneManufacturer);
}
void TSelPhoneModelPage::btnSelectPhoneModelClick() {
    PopupButtonMenu(btnSelectPhoneModel);
}
void TSelPhoneModelPage::btnSelectResolutionClick() {
    PopupButtonMenu(btnSelectResolution);
}

void TSelPhoneModelPage::btnSelectFramerateClick() {
    if (AdvancedSettingsForm) PopupButtonMenu(AdvancedSettingsForm->btnSelectFramerate);
}

void TSelPhoneModelPage::btnSelectVideoQualityClick() {
    if (AdvancedSettingsForm) PopupButtonMenu(AdvancedSettingsForm->btnSelectVideoQuality);
}

void TSelPhoneModelPage::btnSelectAudioQualityClick() {
    if (AdvancedSettingsForm) PopupButtonMenu(AdvancedSettingsForm->btnSelectAudioQuality);
}

void TSelPhoneModelPage::OnPhoneManufacturerClick(QAction* item) {
    // The current manufacturer chosen again keeps its model and size (the
    // selection ignores it); the texts are simply written once more.
    if (!ProfileSelection.SelectPhoneManufacturer(item->data().toInt())) return;
    ShowPhoneManufacturer();
    FilterPhoneModelMenu();
    ShowPhoneModel();
    FilterResolutionMenu();
    ShowResolution();
}

void TSelPhoneModelPage::OnPhoneModelClick(QAction* item) {
    // Also for the current model: its default size comes back.
    if (!ProfileSelection.SelectPhoneModel(item->data().toInt())) return;
    ShowPhoneModel();
    ShowResolution();
    FilterResolutionMenu();
}

void TSelPhoneModelPage::OnResolutionClick(QAction* item) {
    if (!ProfileSelection.SelectResolution(item->data().toInt())) return;
    ShowResolution();
}

void TSelPhoneModelPage::OnFramerateClick(QAction* item) {
    if (!ProfileSelection.SelectFrameRate(item->data().toInt())) return;
    ShowFrameRate();
}

void TSelPhoneModelPage::OnVideoQualityClick(QAction* item) {
    if (!ProfileSelection.SelectVideoQuality(item->data().toInt())) return;
    ShowVideoQuality();
}

void TSelPhoneModelPage::OnAudioQualityClick(QAction* item) {
    if (!ProfileSelection.SelectAudioQuality(item->data().toInt())) return;
    ShowAudioQuality();
}

void TSelPhoneModelPage::OnSizeLimitClick(QAction* item) {
    if (!ProfileSelection.SelectSizeLimit(item->data().toInt())) return;
    ShowSizeLimit();
}

void TSelPhoneModelPage::OnSoundClick(QAction* item) {
    if (!ProfileSelection.SelectSoundChoice(item->data().toInt())) return;
    ShowSound();
}

// A level's handler runs when its button becomes checked; the button that
// loses the check reports nothing.
void TSelPhoneModelPage::QualityLevelChange(int level, bool checked) {
    if (!checked) return;
    ProfileSelection.ApplyQualityLevel(level);
    ShowVideoQuality();
    ShowFrameRate();
    ShowAudioQuality();
}

void TSelPhoneModelPage::cbLowChange(bool checked) {
    QualityLevelChange(QualityLow, checked);
}
void TSelPhoneModelPage::cbMediumChange(bool checked) {
    QualityLevelChange(QualityMedium, checked);
}
void TSelPhoneModelPage::cbHightChange(bool checked) {
    QualityLevelChange(QualityHight, checked);
}
void TSelPhoneModelPage::cbBestChange(bool checked) {
    QualityLevelChange(QualityBest, checked);
}

void TSelPhoneModelPage::cbCustomChange(bool checked) {
    if (checked) ProfileSelection.ApplyQualityLevel(QualityCustom);
}

void TSelPhoneModelPage::btnAdvancedClick() {
    TAdvancedSettingsForm* dialog = AdvancedSettingsForm;
    if (dialog == nullptr) return;
    // Modal, centred over the main window (its owner); however it is
    // closed, the level becomes Custom and the values stay what they are.
    dialog->exec();
    cbCustom->setChecked(true);
}
