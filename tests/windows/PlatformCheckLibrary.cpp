// The DLL PlatformCheck.exe loads by bare name from its own folder.
extern "C" __declspec(dllexport) int answer() {
    return 42;
}
