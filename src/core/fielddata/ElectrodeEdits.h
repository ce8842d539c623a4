#pragma once
// Edits of the field data window's electrode grid on the selected
// electrodes: cable renaming, coordinate series from a start and a step,
// terrain elevations set or interpolated along a profile, coordinates laid
// on the profile or brought to true horizontal distances, electrode type
// and remote flag. `rows` are electrode table rows in grid order. Every edit
// checks its input first: on refusal the table is left as it was and the
// outcome carries the message for the user.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/merge/MergeBlock.h"  // kCableNameUsed, the message of the merge's cable rename too
#include "core/survey/SurveyTables.h"

namespace vexora {

inline constexpr std::string_view kNotAProfile =
    "Unable to interpolate terrain elevation. The selected electrodes do not belong to a 2D profile.";
inline constexpr std::string_view kInvalidStartAndStep =
    "Invalid input: insert the starting value and the step separated by \"; \" (ex. 0; 1).";
inline constexpr std::string_view kInvalidNumber = "Invalid input: insert a number.";
inline constexpr std::string_view kInvalidElectrodeType =
    "Invalid input: insert 1 for borehole electrodes or 2 for surface electrodes.";
inline constexpr std::string_view kNoElectrodesSelected = "No electrodes selected.";

enum class EditStatus { Ok, Refused };

struct [[nodiscard]] EditOutcome {
    EditStatus status = EditStatus::Ok;
    std::string message;  // why it was refused, or what was done when worth telling
};

enum class Axis { X, Y, Z };

// The cable's new name: trimmed, blanks turned into "_"; refused when
// another cable has it (letter case ignored) or it is not a valid name. An
// empty name leaves the cable as it is.
EditOutcome renameCable(Survey& survey, std::int32_t cable, std::string_view typed);

// "start; step": electrode k of the selection (from 0) gets start + k * step.
EditOutcome setCoordinateSeries(Survey& survey, const std::vector<std::size_t>& rows, Axis axis,
                                std::string_view typed);

// One terrain elevation for every selected electrode.
EditOutcome setTerrainElevation(Survey& survey, const std::vector<std::size_t>& rows, std::string_view typed);

// Terrain elevation of the selected electrodes interpolated linearly, by the
// horizontal distance along the profile, between the first and the last
// selected electrode's terrain elevations. The selection must lie on a
// straight line in plan (a 2D profile) with distinct ends. On success the
// message is "Limits of interpolation: Z1 = z1m - Z2 = z2m".
EditOutcome interpolateTerrainElevation(Survey& survey, const std::vector<std::size_t>& rows);

// The two coordinate updates along a profile (same profile condition):
// OnProfile puts every selected electrode on the line from the first to the
// last one (its sideways offset removed, its place along the line kept);
// TrueHorizontal takes the horizontal distances between neighbouring
// electrodes as laid along the ground and shortens each to its horizontal
// part, sqrt(d^2 - dh^2) with dh the change of terrain elevation, walking
// from the first electrode in the profile's direction.
enum class ProfileUpdate { OnProfile = 1, TrueHorizontal = 2 };
EditOutcome updateProfileCoordinates(Survey& survey, const std::vector<std::size_t>& rows, ProfileUpdate update);

// "1" borehole, "2" surface; a remote electrode stays remote.
EditOutcome setElectrodeType(Survey& survey, const std::vector<std::size_t>& rows, std::string_view typed);

// Remote electrodes carry a negative type: the selected ones become ordinary.
void clearRemoteFlag(Survey& survey, const std::vector<std::size_t>& rows);

}  // namespace vexora
