#pragma once
// The loaded survey: cables, electrodes, quadrupoles with their data values,
// topography points, and the lookup from (cable, electrode number) to an
// electrode row. Cable indices are 1-based positions in `cableNames`; 0 marks
// an absent reference. Rows are 0-based.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vexora {

struct Electrode {
    std::int32_t cable = 0;   // 1-based index into cableNames
    std::int32_t number = 0;  // electrode number on its cable
    double x = 0, y = 0, z = 0;
    double elevation = 0;     // terrain elevation above the electrode
    std::int16_t type = 0;    // +/-1 buried, +/-2 surface; negative: cable with < 3 electrodes
    bool operator==(const Electrode&) const = default;
};

struct ElectrodeRef {
    std::int32_t cable = 0;
    std::int32_t number = 0;
    bool operator==(const ElectrodeRef&) const = default;
};

// Poles of a quadrupole: A and B carry the current, M and N measure.
enum Pole { A = 0, B = 1, M = 2, N = 3 };

struct Quadrupole {
    std::int32_t id = 0;
    ElectrodeRef pole[4];
    bool operator==(const Quadrupole&) const = default;
};

// Per-quadrupole value columns, each sized to the row count when present and
// empty otherwise; `ip` and `ipStd` hold one column per IP window.
struct QuadrupoleTable {
    std::vector<Quadrupole> rows;
    std::vector<double> resistance;  // V/I (ohm) once loaded
    std::vector<std::vector<double>> ip;
    std::vector<double> resistanceStd;
    std::vector<std::vector<double>> ipStd;
    std::vector<double> calcResistance;
    std::vector<double> calcIp;
    std::vector<double> calcResistanceStd;
    std::vector<double> calcIpStd;
    std::vector<double> current;  // mA; 1000 when the file has none
    std::vector<std::int16_t> skip;

    std::size_t size() const { return rows.size(); }
    std::size_t ipWindows() const { return ip.size(); }
    bool operator==(const QuadrupoleTable&) const = default;
};

struct TopographyPoint {
    double x = 0, y = 0, z = 0;
    bool operator==(const TopographyPoint&) const = default;
};

// Which value sets the loaded data hold.
struct PresenceFlags {
    bool resistance = false;
    bool ip = false;
    bool resistanceStd = false;
    bool ipStd = false;
    bool calcResistance = false;
    bool calcIp = false;
    bool calcResistanceStd = false;
    bool calcIpStd = false;
    bool operator==(const PresenceFlags&) const = default;
};

// From (cable index, electrode number) to electrode row. Cable and electrode
// ranks order the distinct values in use (1..count). Electrode numbers are
// usually a compact range per cable, so the rows sit in a dense table indexed
// by (cable, number - lowest number) whenever that table stays small;
// otherwise in a hash map.
struct ElectrodeLookup {
    std::vector<std::int32_t> cables;             // distinct cable indices, ascending
    std::vector<std::int32_t> numbers;            // distinct electrode numbers, ascending
    std::vector<std::int32_t> electrodesOnCable;  // per cable rank - 1

    std::int64_t lowestNumber = 0;
    std::int64_t numberSpan = 0;  // 0: the hash map is used
    std::int32_t lowestCable = 0;
    std::int32_t cableSpan = 0;
    std::vector<std::int32_t> dense;  // row or -1, [cable - lowestCable][number - lowestNumber]
    std::unordered_map<std::uint64_t, std::int32_t> rowOf;

    static std::uint64_t key(std::int32_t cable, std::int32_t number)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cable)) << 32) |
               static_cast<std::uint32_t>(number);
    }
    // Electrode row, or -1 when no electrode has that reference.
    std::int32_t find(std::int32_t cable, std::int32_t number) const
    {
        if (numberSpan > 0) {
            const std::int64_t c = static_cast<std::int64_t>(cable) - lowestCable;
            const std::int64_t n = static_cast<std::int64_t>(number) - lowestNumber;
            if (c < 0 || c >= cableSpan || n < 0 || n >= numberSpan) return -1;
            return dense[static_cast<std::size_t>(c * numberSpan + n)];
        }
        auto it = rowOf.find(key(cable, number));
        return it == rowOf.end() ? -1 : it->second;
    }
    int cableRank(std::int32_t cable) const;
    int electrodeRank(std::int32_t number) const;
};

// The outcome of a reciprocal check kept beside the survey for the field
// data window: indexed by quadrupole row, empty until a check has run.
struct ReciprocalPairing {
    bool calculated = false;
    std::vector<std::int32_t> partnerId;
    std::vector<std::int32_t> duplicateOf;
    std::vector<double> absDiff;
    std::vector<double> percDiff;
};

struct Survey {
    std::vector<std::string> cableNames;
    std::vector<Electrode> electrodes;
    QuadrupoleTable quadrupoles;
    std::vector<TopographyPoint> topography;
    PresenceFlags present;
    ElectrodeLookup lookup;
    bool electrodesLoaded = false;
    bool dataLoaded = false;
};

}  // namespace vexora
