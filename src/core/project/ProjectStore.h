#pragma once
// Everything a project holds: the settings table with its column layouts,
// and the loaded survey. Owned by the application and passed by reference.

#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/project/SurveyTables.h"
#include "core/qc/ReciprocalCheck.h"
#include "core/settings/ColumnLayouts.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

enum class ProjectType { None, DataInversion, SurveyDesign };

inline constexpr double kDefaultIpScale = 1000.0;

struct ProjectStore {
    ProjectType type = ProjectType::None;
    SettingsTable settings = defaultSettingsTable();
    ElectrodeFormat electrodeFormat;
    DataFormat dataFormat;
    TopographyFormat topographyFormat;
    SequenceHeader sequenceHeader;
    Survey survey;
    ReciprocalPairing reciprocals;  // partner of each quadrupole, after a reciprocal check
    int ipWindowsToMerge = 0;  // IP windows averaged on output, 0 for none
    double ipScale = kDefaultIpScale;  // divides IP values entering the model
    Mesh mesh;
    Models models;
};

}  // namespace vexora
