// The main window's destruction: the stored choices are written, a running
// conversion is stopped without a completion message, and the clip list is
// released only once the worker that reads it has ended.
#include "ErrorDisplay.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "RunController.h"

void TMainForm::FormDestroy() {
    if (Destroyed) return;
    Destroyed = true;
    // From now on the procedures the worker calls on the window show nothing.
    Closing = true;

    try {
        SaveSettings();
    } catch (const std::exception& error) {
        // The settings are lost, but the worker must still be stopped and
        // waited for: it reads the clip list and calls the media libraries.
        ShowErrorDisplay(QString::fromUtf8(error.what()));
    }

    // The worker ends its current file properly and makes its last calls to
    // the window, which the wait serves; then it frees itself.
    runController_->StopAndWait();

    // The clips and their grid rows.
    openClipPage_->ClearClipList();
}
