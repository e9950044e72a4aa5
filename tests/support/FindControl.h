// Reaching a window's controls, actions and menus the way the windows name
// them ("btnStartStop", "FileOpenClip"), as a test that drives a window does.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace test_support {

// The descendant of root of type T named name. A missing one ends the test
// program at once, naming what was looked for.
template <typename T>
T* Control(const QObject* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("%s has no %s named %s", qPrintable(root->objectName()),
               T::staticMetaObject.className(), name);
    return found;
}

template <typename T, typename Root>
T* Control(const std::unique_ptr<Root>& root, const char* name) {
    return Control<T>(root.get(), name);
}

template <typename T>
T* Control(const QObject& root, const char* name) {
    return Control<T>(&root, name);
}

}  // namespace test_support
