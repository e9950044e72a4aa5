// A home folder of the test process's own, so that the user's settings are
// never read or touched.
#pragma once

#include <QString>

namespace test_support {

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder that lives until
// the process ends. Call before the application object is created.
void UseTemporaryHome();

// The temporary home folder of UseTemporaryHome; empty before it was called.
QString HomeFolder();

// The settings file the application keeps under the temporary home.
QString SettingsFilePath();

}  // namespace test_support
