// Moving between the wizard's steps, and the window's Home Page and About
// commands.
#include <QAction>
#include <QDesktopServices>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>

#include "AboutFrm.h"
#include "MainFrm.h"
#include "MakerInfo.h"

void TMainForm::ShowStep(int step) {
    OpenClipStep->setChecked(step == 1);
    SelPhoneModelStep->setChecked(step == 2);
    ConvertStep->setChecked(step == 3);
    FitWindowToStep(step);
    Steps->setCurrentIndex(step - 1);
    btnNext->setEnabled(step != 3);
    btnBack->setEnabled(step != 1);
}

void TMainForm::OpenClipStepExecute() {
    ShowStep(1);
}
void TMainForm::SelPhoneModelStepExecute() {
    ShowStep(2);
}
void TMainForm::ConvertStepExecute() {
    ShowStep(3);
}

int TMainForm::CurrentStep() const {
    return Steps->currentIndex() + 1;
}

// The buttons run the step actions, so they do nothing while those actions
// are disabled (during a run).
void TMainForm::btnNextClick() {
    switch (Steps->currentIndex()) {
        case OpenClipPageIndex:
            SelPhoneModelStep->trigger();
            break;
        case SelPhoneModelPageIndex:
            ConvertStep->trigger();
            break;
        default:
            break;
    }
}

void TMainForm::btnBackClick() {
    switch (Steps->currentIndex()) {
        case SelPhoneModelPageIndex:
            OpenClipStep->trigger();
            break;
        case ConvertPageIndex:
            SelPhoneModelStep->trigger();
            break;
        default:
            break;
    }
}

void TMainForm::HomePageExecute() {
    // A page that cannot be opened is not reported: the browser, if any, tells.
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(HomePageAddress)));
}

void TMainForm::HelpAboutExecute() {
    {
        TAboutForm about(this);
        about.exec();
    }
    RefreshSkin();
}

void TMainForm::EnableNavigation(bool enabled) {
    OpenClipStep->setEnabled(enabled);
    SelPhoneModelStep->setEnabled(enabled);
    ConvertStep->setEnabled(enabled);
    FileOpenClip->setEnabled(enabled);
    // "<<Back" has nothing to go back to on step 1 (the stopped worker's end
    // may find the window there).
    btnBack->setEnabled(enabled && CurrentStep() != 1);
}
