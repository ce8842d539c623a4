#pragma once
// Per-user persistent settings (section, key) -> text. The workbench keeps
// them with QSettings; tests use the in-memory store below.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vexora {

class UserSettings {
public:
    virtual ~UserSettings() = default;
    virtual std::optional<std::string> value(std::string_view section, std::string_view key) const = 0;
    virtual void setValue(std::string_view section, std::string_view key, std::string_view value) = 0;
};

class MemoryUserSettings : public UserSettings {
public:
    std::optional<std::string> value(std::string_view section, std::string_view key) const override
    {
        auto it = values_.find({std::string(section), std::string(key)});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void setValue(std::string_view section, std::string_view key, std::string_view value) override
    {
        values_[{std::string(section), std::string(key)}] = std::string(value);
    }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace vexora
