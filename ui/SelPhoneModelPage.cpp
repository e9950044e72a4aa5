// Step 2 of the wizard: the phone manufacturer, model and picture size
// selectors and the quality level. Every choice goes through the selection's
// interface; the handlers here only refresh the page's texts and menus.
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
#include "SelectionChoices.h"

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

TSelPhoneModelPage::TSelPhoneModelPage(QWidget* parent, TSelectionChoices& choices)
    : QWidget(parent), Choices(choices), ProfileSelection(choices.Current()) {
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

    btnAdvanced = new QPushButton(tr("&Customize"), gbSelQuality);
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
    Choices.Change([](::ProfileSelection& s) {
        const ::ProfileSelection before = s;
        s.ApplyResolution();
        return !(s == before);
    });
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

void TSelPhoneModelPage::btnSelectPhoneManufacturerClick() {
    PopupButtonMenu(btnSelectPhoneManufacturer);
}
void TSelPhoneModelPage::btnSelectPhoneModelClick() {
    PopupButtonMenu(btnSelectPhoneModel);
}
void TSelPhoneModelPage::btnSelectResolutionClick() {
    PopupButtonMenu(btnSelectResolution);
}

void TSelPhoneModelPage::OnPhoneManufacturerClick(QAction* item) {
    // The current manufacturer chosen again keeps its model and size (the
    // selection ignores it); the texts are simply written once more.
    const int id = item->data().toInt();
    if (!Choices.Change([id](::ProfileSelection& s) { return s.SelectPhoneManufacturer(id); }))
        return;
    ShowPhoneManufacturer();
    FilterPhoneModelMenu();
    ShowPhoneModel();
    FilterResolutionMenu();
    ShowResolution();
}

void TSelPhoneModelPage::OnPhoneModelClick(QAction* item) {
    // Also for the current model: its default size comes back.
    const int row = item->data().toInt();
    if (!Choices.Change([row](::ProfileSelection& s) { return s.SelectPhoneModel(row); })) return;
    ShowPhoneModel();
    ShowResolution();
    FilterResolutionMenu();
}

void TSelPhoneModelPage::OnResolutionClick(QAction* item) {
    const int row = item->data().toInt();
    if (!Choices.Change([row](::ProfileSelection& s) { return s.SelectResolution(row); })) return;
    ShowResolution();
}

// A level's handler runs when its button becomes checked; the button that
// loses the check reports nothing.
void TSelPhoneModelPage::QualityLevelChange(int level, bool checked) {
    if (!checked) return;
    // The Quality Settings dialog shows the level's values through Changed.
    Choices.Change([level](::ProfileSelection& s) { return s.ApplyQualityLevel(level); });
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
    if (checked)
        Choices.Change([](::ProfileSelection& s) { return s.ApplyQualityLevel(QualityCustom); });
}

void TSelPhoneModelPage::btnAdvancedClick() {
    TAdvancedSettingsForm* dialog = AdvancedSettingsForm;
    if (dialog == nullptr) return;
    // Modal, centred over the main window (its owner); however it is
    // closed, the level becomes Custom and the values stay what they are.
    dialog->exec();
    cbCustom->setChecked(true);
}
