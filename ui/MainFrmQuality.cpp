// The Quality Settings dialog's menus: the main window fills them once, and
// each item changes the selection through its interface, which tells the
// dialog (and whoever else shows the selection) of the change.
#include <QAction>
#include <QMenu>

#include "MainFrm.h"

void TMainForm::BuildQualityMenus(const QualityMenus& menus) {
    using Handler = void (TMainForm::*)(QAction*);
    const std::array<std::pair<QualityChoice, Handler>, AllQualityChoices.size()> handlers{{
        {QualityChoice::FrameRate, &TMainForm::OnFramerateClick},
        {QualityChoice::VideoQuality, &TMainForm::OnVideoQualityClick},
        {QualityChoice::AudioQuality, &TMainForm::OnAudioQualityClick},
        {QualityChoice::PictureFit, &TMainForm::OnPictureFitClick},
        {QualityChoice::SizeLimit, &TMainForm::OnSizeLimitClick},
        {QualityChoice::Sound, &TMainForm::OnSoundClick},
        {QualityChoice::Subtitles, &TMainForm::OnSubtitlesClick},
    }};
    for (const auto& [choice, handler] : handlers) {
        QMenu* menu = menus[QualityMenuIndex(choice)];
        if (menu == nullptr) continue;
        const QStringList captions = TSelectionChoices::ChoiceItems(choice);
        for (int row = 0; row < captions.size(); ++row) {
            QAction* item = menu->addAction(captions[row]);
            item->setData(row);
            connect(item, &QAction::triggered, this,
                    [this, handler = handler, item] { (this->*handler)(item); });
        }
    }
}

// A row outside its table changes nothing; none of these changes the level.
void TMainForm::OnFramerateClick(QAction* item) {
    choices_->Choose(QualityChoice::FrameRate, item->data().toInt());
}

void TMainForm::OnVideoQualityClick(QAction* item) {
    choices_->Choose(QualityChoice::VideoQuality, item->data().toInt());
}

void TMainForm::OnAudioQualityClick(QAction* item) {
    choices_->Choose(QualityChoice::AudioQuality, item->data().toInt());
}

void TMainForm::OnPictureFitClick(QAction* item) {
    choices_->Choose(QualityChoice::PictureFit, item->data().toInt());
}

void TMainForm::OnSizeLimitClick(QAction* item) {
    choices_->Choose(QualityChoice::SizeLimit, item->data().toInt());
}

void TMainForm::OnSoundClick(QAction* item) {
    choices_->Choose(QualityChoice::Sound, item->data().toInt());
}

void TMainForm::OnSubtitlesClick(QAction* item) {
    choices_->Choose(QualityChoice::Subtitles, item->data().toInt());
}
