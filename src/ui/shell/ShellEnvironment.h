#pragma once
// What the main window needs from the machine beyond the store and the log:
// its folders, the process start and the roots of a program search. Empty
// or null members take the workbench's own (the executable's folder, the
// per-user data folder, Qt's process start, the mounted file systems).

#include <filesystem>

namespace vexora {
class FileSystemRoots;
class ProcessLauncher;
}  // namespace vexora

namespace vexora::ui {

struct ShellEnvironment {
    std::filesystem::path applicationFolder;
    std::filesystem::path userDataFolder;
    ProcessLauncher* launcher = nullptr;
    const FileSystemRoots* roots = nullptr;
};

}  // namespace vexora::ui
