#include "core/sequence/SequenceFile.h"

#include <cmath>

#include "core/datafile/ScheduleWriter.h"
#include "core/datafile/SurveyChecks.h"

namespace vexora {

Status sequenceSurvey(const SequenceDesign& design, double resistivity, Survey& survey, MessageLog& log)
{
    if (!(resistivity > 0) || !std::isfinite(resistivity))
        return log.error("sequenceSurvey", "The ground resistivity must be above 0 ohm m.");
    Survey s;
    s.cableNames = design.layout.cableNames;
    s.electrodes = design.layout.electrodes;
    QuadrupoleTable& table = s.quadrupoles;
    const std::size_t count = design.quadrupoles.size();
    table.rows.resize(count);
    table.resistance.resize(count);
    table.current.assign(count, 1000.0);
    table.skip.assign(count, 0);
    for (std::size_t k = 0; k < count; ++k) {
        Quadrupole& q = table.rows[k];
        q.id = static_cast<std::int32_t>(k + 1);
        for (int p = 0; p < 4; ++p) {
            const Electrode& e = design.layout.electrodes[static_cast<std::size_t>(design.quadrupoles[k].pole[p])];
            q.pole[p] = {e.cable, e.number};
        }
        table.resistance[k] = resistivity / design.geometricFactors[k];
    }
    s.present.resistance = true;
    s.electrodesLoaded = s.dataLoaded = true;
    if (funCreateElecTable(s, log) != Status::Ok) return Status::Error;
    survey = std::move(s);
    return Status::Ok;
}

Status saveSequence(const SequenceDesign& design, double resistivity, const std::filesystem::path& path,
                    MessageLog& log)
{
    ProjectStore store;
    store.type = ProjectType::SurveyDesign;
    if (sequenceSurvey(design, resistivity, store.survey, log) != Status::Ok) return Status::Error;
    return saveDataFile(store, path, false, log);
}

}  // namespace vexora
