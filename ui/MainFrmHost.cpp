// The main window as the host of the conversion worker: each procedure runs
// on the window's thread while the worker waits. The run's display and state
// belong to step 3; the messages are the window's own.
#include "ConvertPage.h"
#include "MainFrm.h"
#include "MessageBoxFrm.h"

QObject* TMainForm::HostObject() {
    return this;
}

void TMainForm::ShowStatus(const StatusReport& report) {
    convertPage_->ShowStatus(report);
}

void TMainForm::ShowProgress(int32_t currentPercent, int32_t totalPercent) {
    convertPage_->ShowProgress(currentPercent, totalPercent);
}

void TMainForm::ShowError(const QString& errorText) {
    // While the window closes no message is shown; the worker is ending.
    if (IsClosing()) return;
    ShowMessageBox(1, errorText, this);
    RefreshSkin();
}

void TMainForm::ShowCompletion(const QString& message) {
    if (IsClosing()) return;
    ShowMessageBox(1, message, this);
    RefreshSkin();
}

void TMainForm::DetachFromWindow(TCompressThread* worker) {
    convertPage_->DetachFromWindow(worker);
}

void TMainForm::EnterIdleState() {
    convertPage_->SetBusyState(false);
}
