#pragma once
// The splash a viewer script asks for (SPLASHSCREEN seconds): it says what
// is being opened while a large model loads, and goes when the window shows
// or the seconds have passed, whichever comes first.

#include <filesystem>
#include <memory>

#include <QSplashScreen>

namespace vexora::ui {

// A shown splash for the script at `path`, or none when the file is not a
// script or its SPLASHSCREEN is 0 or absent.
std::unique_ptr<QSplashScreen> showScriptSplash(const std::filesystem::path& path);

}  // namespace vexora::ui
