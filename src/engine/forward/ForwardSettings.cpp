#include "engine/forward/ForwardSettings.h"

#include <algorithm>
#include <string>

#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr const char* kSource = "RUNFORWARDMODEL";

}  // namespace

Status readForwardSettings(const SettingsTable& table, ForwardSettings& s, MessageLog& log)
{
    classParseLine tokenizer;
    const std::vector<double> codes = dDataFill(tokenizer, settingText(table, Item::BoundaryConditions));
    if (codes.size() != kOuterFaces)
        return log.error(kSource,
                         "Boundary codes: " + std::to_string(codes.size()) + " values, 5 needed (-X +X -Y +Y -Z).");
    for (std::size_t f = 0; f < kOuterFaces; ++f) {
        if (codes[f] != 0 && codes[f] != 1 && codes[f] != 2)
            return log.error(kSource, "Boundary code " + std::to_string(f + 1) + " is " + std::to_string(codes[f]) +
                                          "; 0 (Dirichlet), 1 (mixed) or 2 (Neumann) expected.");
        s.faces[f] = static_cast<FaceCondition>(static_cast<int>(codes[f]));
    }
    s.iteration.ssorOmega = settingNumber(table, Item::SsorOmega);
    s.iteration.tolerance = settingNumber(table, Item::ForwardTolerance);
    s.iteration.maxIterations = settingInteger(table, Item::ForwardMaxIterations);
    if (!(s.iteration.ssorOmega > 0 && s.iteration.ssorOmega < 2))
        return log.error(
            kSource, "SSOR omega " + std::string(settingText(table, Item::SsorOmega)) + " must lie between 0 and 2.");
    if (!(s.iteration.tolerance > 0 && s.iteration.tolerance < 1))
        return log.error(kSource, "Forward solver tolerance " +
                                      std::string(settingText(table, Item::ForwardTolerance)) +
                                      " must lie between 0 and 1.");
    if (s.iteration.maxIterations < 1)
        return log.error(kSource, "Maximum number of forward iterations must be at least 1.");
    s.skipTxWithoutRx = settingInteger(table, Item::SkipTxWithoutRx) == 1;
    s.modelIp = settingInteger(table, Item::ModelIp) == 1;
    s.threads = std::max(1, settingInteger(table, Item::CpuThreads));
    return Status::Ok;
}

}  // namespace vexora
