// The desktop program: checks the media libraries, then runs the wizard
// window until it is closed.
#include <QString>
#include <exception>
#include <memory>

#include "AppTitle.h"
#include "Dynamicavimport.h"
#include "ErrorDisplay.h"
#include "KestovarApplication.h"
#include "MainFrm.h"

int main(int argc, char** argv) {
    TKestovarApplication app(argc, argv);

    // The media libraries were loaded before main(); nothing may call into
    // them when a library or a function is missing.
    if (const std::vector<std::string> problems = AV.Problems(); !problems.empty()) {
        ShowErrorDisplay(QString::fromStdString(av::ProblemsMessage(problems)));
        return 1;
    }

    // The title is the application's name (set by TKestovarApplication).
    std::unique_ptr<TMainForm> mainForm;
    try {
        // MainForm is set as the window's construction starts.
        mainForm = std::make_unique<TMainForm>();
        // The Quality Settings dialog comes second; its construction fills
        // its fields from the main window:
        // QUALITY-SETTINGS-DIALOG: AdvancedSettingsForm created here.
    } catch (const std::exception& error) {
        MainForm = nullptr;
        ShowErrorDisplay(QString::fromUtf8(error.what()));
        return 1;
    }

    mainForm->show();
    const int status = app.exec();
    // The windows go newest first; the main window's destruction saves the
    // settings and waits for a running conversion to end.
    mainForm.reset();
    return status;
}
