#include "Startup.h"

#include <QApplication>
#include <exception>
#include <memory>

#include "AdvancedSettingsFrm.h"
#include "Dynamicavimport.h"
#include "ErrorDisplay.h"
#include "InterruptWatcher.h"
#include "MainFrm.h"

int RunDesktopProgram(QApplication& app, const std::vector<std::string>& bindingProblems,
                      const QStringList& files) {
    // Nothing may call into the media libraries when one of them or one of
    // their functions is missing.
    if (!bindingProblems.empty()) {
        ShowErrorDisplay(QString::fromStdString(av::ProblemsMessage(bindingProblems)));
        return 1;
    }
    // The media libraries' own log stays quiet, as in the command-line program
    // without --verbose: the window reports problems in its own messages.
    AV.av_log_set_level(AV_LOG_QUIET);

    // The application object owns both windows; they are destroyed newest
    // first when this scope ends, after the message loop.
    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TAdvancedSettingsForm> qualitySettings;
    try {
        // MainForm is set as the window's construction starts and reset when
        // it fails.
        mainForm = std::make_unique<TMainForm>();
        // The Quality Settings dialog comes second: its construction fills its
        // fields from the main window.
        // It stays hidden until "Customize" opens it over the main window.
        qualitySettings = std::make_unique<TAdvancedSettingsForm>(mainForm.get(), mainForm.get());
    } catch (const std::exception& error) {
        AdvancedSettingsForm = nullptr;
        MainForm = nullptr;
        ShowErrorDisplay(QString::fromUtf8(error.what()));
        return 1;
    } catch (...) {
        AdvancedSettingsForm = nullptr;
        MainForm = nullptr;
        ShowErrorDisplay(QString());
        return 1;
    }

    // The desktop session's end (SIGTERM, or SIGHUP from the session's
    // leader; Ctrl+C where started from a terminal) ends the program as the
    // close box does: the message loop ends, also from within a modal box,
    // and the main window's destruction stops a run as Stop does, so the clip
    // being converted ends as a complete, shorter file and no temporary file
    // stays. Signals during that shutdown change nothing: the file is being
    // finished already.
    bool ending = false;
    TInterruptWatcher sessionEnd([&app, &ending](int signalNumber) {
        if (ending || TInterruptWatcher::IsClosedPipe(signalNumber)) return;
        ending = true;
        app.quit();
    });

    mainForm->show();
    mainForm->OpenGivenFiles(files);
    app.exec();
    ending = true;
    // The main window's destruction saves the settings and waits for a
    // running conversion to end before the clip list goes.
    qualitySettings.reset();
    mainForm.reset();
    return 0;
}
