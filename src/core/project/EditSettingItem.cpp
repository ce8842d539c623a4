#include "core/project/EditSettingItem.h"

#include "core/log/MessageLog.h"
#include "core/platform/Application.h"

namespace vexora {

namespace {

void unload(ProjectStore& store, UnloadKind kind, const EditSettingHooks& hooks)
{
    Models& models = store.models;
    switch (kind) {
    case UnloadKind::MeshAndModels:
        store.survey.topography.clear();
        store.mesh.lines.clear();
        clearNodeMesh(store.mesh);
        store.mesh.terrainSurface.clear();
        store.mesh.followsTerrain = false;
        models.conductivityImported = false;
        models.ipImported = false;
        if (hooks.topographyStatus) hooks.topographyStatus("No topography");
        break;
    case UnloadKind::ResistivityModel: models.conductivityImported = false; break;
    case UnloadKind::IpModel: models.ipImported = false; break;
    case UnloadKind::None: break;
    }
}

SettingContext context(const ProjectStore& store)
{
    SettingContext c;
    c.hasIpData = store.survey.present.ip;
    return c;
}

Status applyEdit(ProjectStore& store, std::size_t row, const SettingEdit& edit, Questions& questions,
                 const EditSettingHooks& hooks)
{
    if (!edit.accepted) {
        questions.showMessage(std::string(kApplicationTitle) + " - Error", edit.message, MessageIcon::Critical);
        return Status::Error;
    }
    bool yes = false;
    if (!edit.question.empty())
        yes = questions.askYesNo({QuestionId::ConfirmSettingChange, std::string(kApplicationTitle), edit.question});
    if (edit.changeNeedsYes && !yes) return Status::Error;
    applySettingEdit(store, row, edit, yes, hooks);
    return Status::Ok;
}

}  // namespace

std::string settingsInputTitle() { return std::string(kApplicationTitle) + " - Configuration settings"; }

void applySettingEdit(ProjectStore& store, std::size_t row, const SettingEdit& edit, bool yes,
                      const EditSettingHooks& hooks)
{
    if (!edit.accepted || row >= store.settings.rows.size()) return;
    if (edit.changeNeedsYes && !yes) return;
    store.settings.rows[row].value = edit.value;
    for (const auto& [item, text] : edit.changes) setSettingText(store.settings, item, text);
    if (yes)
        for (const auto& [item, text] : edit.changesOnYes) setSettingText(store.settings, item, text);
    if (yes) unload(store, edit.unloadOnYes, hooks);
    if (edit.ipCheckBox && hooks.ipCheckBox) hooks.ipCheckBox(*edit.ipCheckBox);
}

Status EditSettingItem(ProjectStore& store, std::size_t row, Questions& questions, const EditSettingHooks& hooks)
{
    const SettingEditKind kind = settingEditKind(store.settings, row);
    if (kind == SettingEditKind::NotEditable) return Status::Error;
    if (kind == SettingEditKind::Toggle)
        return SwitchSettingItem(store, row, !settingSwitchedOn(store.settings, row), questions, hooks);
    const auto answer =
        questions.inputText({QuestionId::SettingValue, settingsInputTitle(), settingPrompt(store.settings, row)},
                            store.settings.rows[row].value);
    if (!answer) return Status::Error;
    return EditSettingItem(store, row, *answer, questions, hooks);
}

Status EditSettingItem(ProjectStore& store, std::size_t row, std::string_view answer, Questions& questions,
                       const EditSettingHooks& hooks)
{
    const SettingEditKind kind = settingEditKind(store.settings, row);
    if (kind != SettingEditKind::Value && kind != SettingEditKind::Choice) return Status::Error;
    if (answer.find_first_not_of(" \t") == std::string_view::npos) return Status::Error;
    return applyEdit(store, row, validateSetting(store.settings, row, answer, context(store)), questions, hooks);
}

Status SwitchSettingItem(ProjectStore& store, std::size_t row, bool on, Questions& questions,
                         const EditSettingHooks& hooks)
{
    if (settingEditKind(store.settings, row) != SettingEditKind::Toggle) return Status::Error;
    if (settingSwitchedOn(store.settings, row) == on) return Status::Error;
    return applyEdit(store, row, toggleSetting(store.settings, row, context(store)), questions, hooks);
}

}  // namespace vexora
