// The main window's destruction: the stored choices are written and the clip
// list is released.
#include "ErrorDisplay.h"
#include "MainFrm.h"

void TMainForm::FormDestroy() {
    if (Destroyed) return;
    Destroyed = true;
    // From now on the worker's reports show nothing.
    Closing = true;

    try {
        SaveSettings();
    } catch (const std::exception& error) {
        ShowErrorDisplay(QString::fromUtf8(error.what()));
    }

    ClipList.clear();
}
