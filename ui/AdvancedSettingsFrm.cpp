#include "AdvancedSettingsFrm.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <array>

#include "ControlFactory.h"
#include "MainFrm.h"
#include "PopupSelector.h"
#include "SelectionChoices.h"

TAdvancedSettingsForm* AdvancedSettingsForm = nullptr;

TAdvancedSettingsForm::TAdvancedSettingsForm(TMainForm* mainForm, QWidget* owner)
    : TBaseSkinForm(owner, QSize(183, 318), FixedDialogFlags()), mainForm_(mainForm) {
    AdvancedSettingsForm = this;

    setObjectName(QStringLiteral("AdvancedSettingsForm"));
    setWindowTitle(QStringLiteral("Quality Settings"));

    gbSettings = new QGroupBox(QStringLiteral("Settings"), this);
    gbSettings->setObjectName(QStringLiteral("gbSettings"));
    gbSettings->setGeometry(3, 3, 168, 250);

    lbFramerate = MakeLabel(gbSettings, nullptr, QStringLiteral("Framerate:"), {9, 33});
    TPopupSelector framerate = MakePopupSelector(gbSettings, this, QStringLiteral("Framerate"),
                                                 QRect(81, 29, 64, 23), QRect(145, 29, 17, 23));
    ebFramerate = framerate.Field;
    btnSelectFramerate = framerate.Button;
    FrameratePopupActionBar = framerate.Menu;

    lbVideoQuality = MakeLabel(gbSettings, nullptr, QStringLiteral("Video Quality:"), {9, 62});
    TPopupSelector video = MakePopupSelector(gbSettings, this, QStringLiteral("VideoQuality"),
                                             QRect(81, 58, 64, 23), QRect(145, 58, 17, 23));
    ebVideoQuality = video.Field;
    btnSelectVideoQuality = video.Button;
    VideoQualityPopupActionBar = video.Menu;

    lbAudioQuality = MakeLabel(gbSettings, nullptr, QStringLiteral("Audio Quality:"), {9, 91});
    TPopupSelector audio = MakePopupSelector(gbSettings, this, QStringLiteral("AudioQuality"),
                                             QRect(81, 87, 64, 23), QRect(145, 87, 17, 23));
    ebAudioQuality = audio.Field;
    btnSelectAudioQuality = audio.Button;
    AudioQualityPopupActionBar = audio.Menu;

    lbPictureFit = MakeLabel(gbSettings, nullptr, QStringLiteral("Picture:"), {9, 120});
    TPopupSelector fit = MakePopupSelector(gbSettings, this, QStringLiteral("PictureFit"),
                                           QRect(81, 116, 64, 23), QRect(145, 116, 17, 23));
    ebPictureFit = fit.Field;
    btnSelectPictureFit = fit.Button;
    PictureFitPopupActionBar = fit.Menu;

    lbSizeLimit = MakeLabel(gbSettings, nullptr, QStringLiteral("Size limit:"), {9, 149});
    TPopupSelector sizeLimit = MakePopupSelector(gbSettings, this, QStringLiteral("SizeLimit"),
                                                 QRect(81, 145, 64, 23), QRect(145, 145, 17, 23));
    ebSizeLimit = sizeLimit.Field;
    btnSelectSizeLimit = sizeLimit.Button;
    SizeLimitPopupActionBar = sizeLimit.Menu;

    lbSound = MakeLabel(gbSettings, nullptr, QStringLiteral("Sound:"), {9, 178});
    TPopupSelector sound = MakePopupSelector(gbSettings, this, QStringLiteral("Sound"),
                                             QRect(81, 174, 64, 23), QRect(145, 174, 17, 23));
    ebSound = sound.Field;
    btnSelectSound = sound.Button;
    SoundPopupActionBar = sound.Menu;

    // Like the picture row, the dialog's own: no quality level changes it.
    lbSubtitles = MakeLabel(gbSettings, nullptr, QStringLiteral("Subtitles:"), {9, 207});
    TPopupSelector subtitles = MakePopupSelector(gbSettings, this, QStringLiteral("Subtitles"),
                                                 QRect(81, 203, 64, 23), QRect(145, 203, 17, 23));
    ebSubtitles = subtitles.Field;
    btnSelectSubtitles = subtitles.Button;
    SubtitlesPopupActionBar = subtitles.Menu;

    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(111, 259, 60, 23);
    btnClose->setDefault(true);

    connect(btnSelectFramerate, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectFramerateClick);
    connect(btnSelectVideoQuality, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectVideoQualityClick);
    connect(btnSelectAudioQuality, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectAudioQualityClick);
    connect(btnSelectPictureFit, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectPictureFitClick);
    connect(btnSelectSizeLimit, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectSizeLimitClick);
    connect(btnSelectSound, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectSoundClick);
    connect(btnSelectSubtitles, &QPushButton::clicked, this,
            &TAdvancedSettingsForm::btnSelectSubtitlesClick);
    connect(btnClose, &QPushButton::clicked, this, &TAdvancedSettingsForm::btnCloseClick);

    if (mainForm_) {
        QualityMenus menus{};
        menus[QualityMenuIndex(QualityChoice::FrameRate)] = FrameratePopupActionBar;
        menus[QualityMenuIndex(QualityChoice::VideoQuality)] = VideoQualityPopupActionBar;
        menus[QualityMenuIndex(QualityChoice::AudioQuality)] = AudioQualityPopupActionBar;
        menus[QualityMenuIndex(QualityChoice::PictureFit)] = PictureFitPopupActionBar;
        menus[QualityMenuIndex(QualityChoice::SizeLimit)] = SizeLimitPopupActionBar;
        menus[QualityMenuIndex(QualityChoice::Sound)] = SoundPopupActionBar;
        menus[QualityMenuIndex(QualityChoice::Subtitles)] = SubtitlesPopupActionBar;
        mainForm_->BuildQualityMenus(menus);
        connect(mainForm_->Choices(), &TSelectionChoices::Changed, this,
                &TAdvancedSettingsForm::ShowSelection);
    }
    ShowSelection();
    FormCreate();
    FitToFont();
}

TAdvancedSettingsForm::~TAdvancedSettingsForm() {
    if (AdvancedSettingsForm == this) AdvancedSettingsForm = nullptr;
}

void TAdvancedSettingsForm::btnSelectFramerateClick() {
    PopupButtonMenu(btnSelectFramerate);
}

void TAdvancedSettingsForm::btnSelectVideoQualityClick() {
    PopupButtonMenu(btnSelectVideoQuality);
}

void TAdvancedSettingsForm::btnSelectAudioQualityClick() {
    PopupButtonMenu(btnSelectAudioQuality);
}

void TAdvancedSettingsForm::btnSelectSizeLimitClick() {
    PopupButtonMenu(btnSelectSizeLimit);
}

void TAdvancedSettingsForm::btnSelectSoundClick() {
    PopupButtonMenu(btnSelectSound);
}

void TAdvancedSettingsForm::btnSelectPictureFitClick() {
    PopupButtonMenu(btnSelectPictureFit);
}

void TAdvancedSettingsForm::ShowSelection() {
    if (!mainForm_) return;
    const TSelectionChoices& choices = *mainForm_->Choices();
    for (auto [choice, field] : {std::pair{QualityChoice::FrameRate, ebFramerate},
                                 std::pair{QualityChoice::VideoQuality, ebVideoQuality},
                                 std::pair{QualityChoice::AudioQuality, ebAudioQuality},
                                 std::pair{QualityChoice::PictureFit, ebPictureFit},
                                 std::pair{QualityChoice::SizeLimit, ebSizeLimit},
                                 std::pair{QualityChoice::Sound, ebSound},
                                 std::pair{QualityChoice::Subtitles, ebSubtitles}}) {
        ShowSelectorText(field, choices.ChoiceText(choice));
    }
    btnSelectVideoQuality->setEnabled(choices.IsChoosable(QualityChoice::VideoQuality));
}

void TAdvancedSettingsForm::btnSelectSubtitlesClick() {
    PopupButtonMenu(btnSelectSubtitles);
}

void TAdvancedSettingsForm::FitToFont() {
    ensurePolished();
    constexpr int kLabelLeft = 9;
    constexpr int kLabelGap = 4;
    constexpr int kFieldPadding = 14;
    constexpr int kRightMargin = 6;

    int labelWidth = 0;
    for (QLabel* label : {lbFramerate, lbVideoQuality, lbAudioQuality, lbPictureFit, lbSizeLimit,
                          lbSound, lbSubtitles}) {
        label->ensurePolished();
        label->adjustSize();
        labelWidth = std::max(labelWidth, label->width());
    }
    int textWidth = 0;
    for (QLineEdit* field : {ebFramerate, ebVideoQuality, ebAudioQuality, ebPictureFit, ebSizeLimit,
                             ebSound, ebSubtitles}) {
        field->ensurePolished();
        textWidth = std::max(textWidth, field->fontMetrics().horizontalAdvance(field->text()));
    }
    for (QMenu* menu : {FrameratePopupActionBar, VideoQualityPopupActionBar,
                        AudioQualityPopupActionBar, PictureFitPopupActionBar,
                        SizeLimitPopupActionBar, SoundPopupActionBar, SubtitlesPopupActionBar}) {
        for (const QAction* item : menu->actions())
            textWidth =
                std::max(textWidth, ebFramerate->fontMetrics().horizontalAdvance(item->text()));
    }

    const int fieldLeft = std::max(ebFramerate->x(), kLabelLeft + labelWidth + kLabelGap);
    const int fieldWidth = std::max(ebFramerate->width(), textWidth + kFieldPadding);
    const int buttonLeft = fieldLeft + fieldWidth;
    for (auto [field, button] :
         {std::pair{ebFramerate, btnSelectFramerate},
          std::pair{ebVideoQuality, btnSelectVideoQuality},
          std::pair{ebAudioQuality, btnSelectAudioQuality},
          std::pair{ebPictureFit, btnSelectPictureFit}, std::pair{ebSizeLimit, btnSelectSizeLimit},
          std::pair{ebSound, btnSelectSound}, std::pair{ebSubtitles, btnSelectSubtitles}}) {
        field->setGeometry(fieldLeft, field->y(), fieldWidth, field->height());
        button->move(buttonLeft, button->y());
    }

    const int boxWidth =
        std::max(gbSettings->width(), buttonLeft + btnSelectFramerate->width() + kRightMargin);
    const int grownBy = boxWidth - gbSettings->width();
    if (grownBy > 0) {
        gbSettings->resize(boxWidth, gbSettings->height());
        btnClose->move(btnClose->x() + grownBy, btnClose->y());
        setFixedSize(width() + grownBy, height());
    }
}

// Hiding ends the modal loop; the dialog stays for the next time.
void TAdvancedSettingsForm::btnCloseClick() {
    reject();
}
