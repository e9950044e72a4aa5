// The desktop program. The media libraries were loaded before main() ran
// (the global AV); they are released after it returns.
#include "Dynamicavimport.h"
#include "KestovarApplication.h"
#include "Startup.h"

int main(int argc, char** argv) {
    // The application object sets the title, and shows any error that
    // escapes an event handler.
    TKestovarApplication app(argc, argv);
    return RunDesktopProgram(app, AV.Problems());
}
