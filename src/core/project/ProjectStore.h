#pragma once
// Everything a project holds, split by lifetime: the session's settings
// (edited in the grid, read from configuration files and data-file
// headers), the survey a data load replaces, and the mesh with its models
// (built, imported or reset as a whole). Owned by the application and
// passed by reference; numerical code takes the parts it reads.

#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/settings/ColumnLayouts.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

enum class ProjectType { None, DataInversion, SurveyDesign };

// Lives as long as the project: the workspace's settings.
struct SessionState {
    ProjectType type = ProjectType::None;
    SettingsTable settings = defaultSettingsTable();
    int ipWindowsToMerge = 0;  // IP windows averaged on output, 0 for none
    double ipScale = kDefaultIpScale;  // divides IP values entering the model
};

// What a data load replaces: the survey with the layouts it was read with.
struct SurveyState {
    ElectrodeFormat electrodeFormat;
    DataFormat dataFormat;
    TopographyFormat topographyFormat;
    SequenceHeader sequenceHeader;
    Survey survey;
    ReciprocalPairing reciprocals;  // partner of each quadrupole, after a reciprocal check
};

// The mesh and the models on it, replaced together.
struct MeshState {
    Mesh mesh;
    Models models;
};

struct ProjectStore : SessionState, SurveyState, MeshState {};

}  // namespace vexora
