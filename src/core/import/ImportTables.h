#pragma once
// Working tables of one import: what an instrument file holds once its
// electrodes are numbered. Replaced as a whole by every import; entry k of
// `quadrupoles` and of `values` always belong to the same measurement.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexora {

// Outcome of an import step: the sequence link's two mismatches, or a
// failure inside a step (logged by the step).
enum class [[nodiscard]] ImportStatus {
    Ok = 0,
    SequenceTooFewElectrodes = 1,  // fewer sequence electrodes than imported ones
    SequenceQuadrupoleCount = 2,   // sequence and import differ in quadrupoles
    Failed = 99,
};

struct ImportElectrode {
    std::int32_t number = 0;
    double x = 0, y = 0, z = 0;
    bool operator==(const ImportElectrode&) const = default;
};

// A, B, M, N electrode numbers; 0 marks an absent (remote) pole.
using ImportQuadrupole = std::array<std::int32_t, 4>;

// Measured values as the instrument gives them: V in mV, I in mA.
struct ImportValue {
    float v = 0, i = 0, q = 0, m = 0;
    bool operator==(const ImportValue&) const = default;
};

// The lines a 3D layout's electrodes stand on, each laid as its own cable:
// `names` (e.g. "y0.5", the coordinate the line keeps), and by electrode its
// line and its place along the line (1..n). Empty when the electrodes form
// one line.
struct ImportLines {
    std::vector<std::string> names;
    std::vector<std::uint32_t> lineOf;
    std::vector<std::int32_t> numberOnLine;

    bool empty() const { return names.empty(); }
};

struct ImportSet {
    std::vector<ImportElectrode> electrodes;
    std::vector<ImportQuadrupole> quadrupoles;
    std::vector<ImportValue> values;
    ImportLines lines;
    std::string sourceFile;  // the file the import read

    void clear()
    {
        electrodes.clear();
        quadrupoles.clear();
        values.clear();
        lines = {};
    }
};

}  // namespace vexora
