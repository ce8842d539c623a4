#pragma once
// Per-user settings kept by QSettings under organisation "Vexora",
// application "Vexora64"; (section, key) is stored as "Section/Key".

#include <memory>

#include <QString>

#include "core/platform/UserSettings.h"

class QSettings;

namespace vexora::ui {

class QtUserSettings : public UserSettings {
public:
    QtUserSettings();
    // Settings kept in the given INI file instead of the user's store.
    explicit QtUserSettings(const QString& iniFile);
    ~QtUserSettings() override;

    std::optional<std::string> value(std::string_view section, std::string_view key) const override;
    void setValue(std::string_view section, std::string_view key, std::string_view value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace vexora::ui
