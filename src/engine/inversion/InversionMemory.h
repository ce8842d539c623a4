#pragma once
// The peak memory of one rank of an inversion, known before anything large
// is allocated: the forward model's system and solver work, the direct
// solver's factor when it will be the one used, the electrode fields the
// sensitivities are taken from (the kept model's, the trial's and, with
// modelled trials, one held trial), and the rank's rows of J. Only J
// divides among ranks; every rank holds the rest whole.

#include <cstdint>
#include <string>

namespace vexora {

struct Mesh;
struct Survey;
struct SettingsTable;

struct InversionSize {
    std::int64_t gridPoints = 0;  // of the forward mesh
    std::int64_t blocks = 0;      // model parameters
    std::int64_t electrodes = 0;  // every one a source
    std::int64_t data = 0;        // rows of J
    int threads = 1;
    bool heldTrial = false;  // modelled roughness trials keep one more set of fields
};

struct InversionMemory {
    std::uint64_t forward = 0;   // system, solver work, potential table, block stiffnesses
    std::uint64_t factor = 0;    // the direct factor, 0 when multigrid will be used
    std::uint64_t fields = 0;    // electrode fields
    std::uint64_t jacobian = 0;  // this rank's rows of J
    std::uint64_t total() const { return forward + factor + fields + jacobian; }
};

// The size of the inversion of `survey` on `mesh` as the core will meet it
// in a job's data file, which holds no skipped quadrupole: the electrodes
// the other quadrupoles use, those of them with a usable reading, the
// threads setting and whether roughness trials are each modelled.
InversionSize inversionSizeOf(const Mesh& mesh, const Survey& survey, const SettingsTable& settings);

// The largest rank's share with `ranks` ranks; the factor counts when it
// would take at most half of `availableBytes` (as the solver choice asks).
InversionMemory inversionMemoryPerRank(const InversionSize& size, int ranks, std::uint64_t availableBytes);

// The fewest ranks, up to `mostRanks`, whose share fits in `availableBytes`;
// 0 when none does (what every rank holds whole is already too large).
int ranksThatFit(const InversionSize& size, std::uint64_t availableBytes, int mostRanks);

// "about 1234 MB per rank on 2 ranks (forward model 80 MB, direct factor
// 560 MB, electrode fields 66 MB, sensitivity matrix 590 MB)".
std::string inversionMemoryText(const InversionMemory& memory, int ranks);

}  // namespace vexora
