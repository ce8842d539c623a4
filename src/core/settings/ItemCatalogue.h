#pragma once
// The fixed catalogue of the 110 settings entries: each entry's description
// (its display label and lookup key), its default value text, kept exactly as
// written with surrounding spaces, and the configuration tag(s) that set it.

#include <array>
#include <string_view>

namespace vexora {

enum class Item : int {
    Header = 0,
    ElectrodesSection = 1,
    CableSpecified = 2,
    CableColumn = 3,
    ElectrodeIdColumn = 4,
    XColumn = 5,
    YColumn = 6,
    ZColumn = 7,
    TerrainElevationColumn = 8,
    ElectrodeTypeColumn = 9,
    DataSection = 10,
    QuadrupoleIdColumn = 11,
    AColumns = 12,
    BColumns = 13,
    MColumns = 14,
    NColumns = 15,
    ResistanceColumn = 16,
    IpColumns = 17,
    CurrentColumn = 18,
    SkipColumn = 19,
    ResistanceStdColumn = 20,
    IpStdColumns = 21,
    CalcResistanceColumn = 22,
    CalcIpColumn = 23,
    CalcResistanceStdColumn = 24,
    CalcIpStdColumn = 25,
    DataKind = 26,
    IpScale = 27,
    TopographySection = 28,
    TopographyXColumn = 29,
    TopographyYColumn = 30,
    TopographyZColumn = 31,
    MeshSection = 32,
    MeshType = 33,
    GridSizeX = 34,
    GridSizeY = 35,
    GridSizeZ = 36,
    ForegroundXMin = 37,
    ForegroundXMax = 38,
    ForegroundYMin = 39,
    ForegroundYMax = 40,
    ForegroundZMin = 41,
    ForegroundZMax = 42,
    PadsXMax = 43,
    PadsXMin = 44,
    PadsYMin = 45,
    PadsYMax = 46,
    PadsZMin = 47,
    FlatTerrain = 48,
    AddElectrodesToTopography = 49,
    UpdateSurfaceElectrodeElevation = 50,
    FlatZBottom = 51,
    DepthOfInvestigation = 52,
    AdaptGridToElectrodes = 53,
    StartingModelSection = 54,
    ResistivityModelType = 55,
    BackgroundResistivity = 56,
    ResistivityAnomalyCount = 57,
    ResistivityAnomaly = 58,
    IpModelType = 59,
    BackgroundIp = 60,
    IpAnomalyCount = 61,
    IpAnomaly = 62,
    AddAnomaliesToFlatGrid = 63,
    ForwardSolverSection = 64,
    BoundaryConditions = 65,
    SsorOmega = 66,
    ForwardTolerance = 67,
    ForwardMaxIterations = 68,
    SkipTxWithoutRx = 69,
    ModelIp = 70,
    InversionSection = 71,
    RoughnessTrials = 72,
    SmoothnessConstraint = 73,
    ConstrainToReference = 74,
    MaxIterationsRho = 75,
    MaxIterationsIp = 76,
    MaxPcgRho = 77,
    MaxPcgIp = 78,
    PcgToleranceRho = 79,
    PcgToleranceIp = 80,
    OptimalRoughFactorRho = 81,
    OptimalRoughFactorIp = 82,
    RoughMultiplierRho = 83,
    RoughMultiplierIp = 84,
    InitialRoughRho = 85,
    InitialRoughIp = 86,
    XRoughWeight = 87,
    YRoughWeight = 88,
    ZRoughWeight = 89,
    NoiseSection = 90,
    ResNoisePercent = 91,
    ResNoiseConstant = 92,
    IpNoisePercent = 93,
    IpNoiseConstant = 94,
    UseRobustInversion = 95,
    ReweightIterationsRho = 96,
    ReweightIterationsIp = 97,
    GlobalSection = 98,
    PlotBounds = 99,
    SaveIterations = 100,
    SaveFullMesh = 101,
    CpuThreads = 102,
    ResNoisePotential = 103,
    GeometricFactorLimit = 104,
    StartFromData = 105,
    LeaveOutOfRangeIp = 106,
    HighestApparentIp = 107,
    LeastIpVoltage = 108,
    DoiIndex = 109,
    RefineNearAnomalies = 110,
};

inline constexpr int kCatalogueSize = 111;

enum class EntryKind { Header, Section, Item, AnomalyLabel };

struct CatalogueEntry {
    std::string_view description;
    std::string_view defaultText;
    EntryKind kind;
    std::string_view tag;        // "" when no tag sets the entry directly
    std::string_view secondTag;  // electrode column of A/B/M/N; "#simple_inversion"
};

const std::array<CatalogueEntry, kCatalogueSize>& ItemCatalogue();
const CatalogueEntry& catalogueEntry(Item item);
std::string_view description(Item item);

}  // namespace vexora
