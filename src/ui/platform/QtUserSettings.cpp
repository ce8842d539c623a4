#include "ui/platform/QtUserSettings.h"

#include <QSettings>

#include "core/platform/Application.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

QString settingsKey(std::string_view section, std::string_view key)
{
    return toQString(section) + QLatin1Char('/') + toQString(key);
}

}  // namespace

QtUserSettings::QtUserSettings()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Vexora"), toQString(kApplicationTitle)))
{
}

QtUserSettings::QtUserSettings(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

QtUserSettings::~QtUserSettings() = default;

std::optional<std::string> QtUserSettings::value(std::string_view section, std::string_view key) const
{
    QVariant stored = settings_->value(settingsKey(section, key));
    if (!stored.isValid()) return std::nullopt;
    return toWindows1252(stored.toString());
}

void QtUserSettings::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    settings_->setValue(settingsKey(section, key), toQString(value));
}

}  // namespace vexora::ui
