// TLibrary and TImportFunc: one shared library loaded by file name, and one
// function looked up in it. Neither reports anything; TBinding::Problems()
// tells afterwards what did not load.
#pragma once

#include <string>
#include <utility>

namespace av {

// One loaded library. Loading never fails loudly: a library that cannot be
// loaded keeps a null Handle, and every function looked up in it stays null.
class TLibrary {
public:
    // A library loaded to stay (keepLoaded) is never unloaded: what it and
    // its own dependencies set up for the whole process stays theirs.
    explicit TLibrary(std::string fileName, bool keepLoaded = false);
    ~TLibrary();
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;

    bool IsLoaded() const { return Handle != nullptr; }
    // The address of an exported symbol, or null (also when not loaded).
    void* Symbol(const char* name) const;

    const std::string FileName;
    void* const Handle;
    const bool KeepLoaded;
};

template <typename FunctionPointer>
class TImportFunc;

// One function of a TLibrary. The template argument is the function's pointer
// type as the installed headers declare it (decltype(&name)), so a wrapper's
// signature can never disagree with the library it is called in.
template <typename Result, typename... Args>
class TImportFunc<Result (*)(Args...)> {
public:
    using Pointer = Result (*)(Args...);

    TImportFunc(const TLibrary& library, const char* functionName)
        : EntryPoint(reinterpret_cast<Pointer>(library.Symbol(functionName))),
          Library(&library),
          FunctionName(functionName) {}
    TImportFunc(const TImportFunc&) = delete;
    TImportFunc& operator=(const TImportFunc&) = delete;

    bool IsResolved() const { return EntryPoint != nullptr; }

    // One indirect call: no lookup, no check. Callers run only after the
    // program has checked the whole binding (TBinding::Problems()).
    Result operator()(Args... args) const { return EntryPoint(std::forward<Args>(args)...); }

    const Pointer EntryPoint;
    const TLibrary* const Library;
    const std::string FunctionName;
};

}  // namespace av
