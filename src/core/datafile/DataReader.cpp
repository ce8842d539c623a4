#include <string>
#include <unordered_map>

#include "core/datafile/BlockReaders.h"
#include "core/datafile/BlockRows.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

namespace {

// Cable name -> 1-based cable index, without copying the names per row. A
// survey has a handful of cables, where comparing names beats hashing them.
class CableIndex {
public:
    explicit CableIndex(const std::vector<std::string>& names) : names_(names)
    {
        if (names.size() <= kLinearSearch) return;
        map_.reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            map_.try_emplace(std::string_view(names[i]), static_cast<std::int32_t>(i + 1));
    }
    std::int32_t find(std::string_view name) const
    {
        if (names_.size() <= kLinearSearch) {
            for (std::size_t i = 0; i < names_.size(); ++i)
                if (names_[i] == name) return static_cast<std::int32_t>(i + 1);
            return 0;
        }
        auto it = map_.find(name);
        return it == map_.end() ? 0 : it->second;
    }

private:
    static constexpr std::size_t kLinearSearch = 16;
    const std::vector<std::string>& names_;
    std::unordered_map<std::string_view, std::int32_t> map_;
};

}  // namespace

Status funLoadData(std::string_view text, const BlockBounds& bounds, const DataFormat& f,
                   const SequenceHeader& sequence, const SyntheticChoice& synthetic, Survey& survey, MessageLog& log,
                   const Feedback& feedback)
{
    const char* source = "funLoadData";
    QuadrupoleTable& q = survey.quadrupoles;
    q = QuadrupoleTable{};
    PresenceFlags& present = survey.present;
    present = PresenceFlags{};

    const bool hasIp = !f.ipWindowColumns.empty() && f.ipWindowColumns.front() > 0;
    const bool hasIpStd = !f.ipStdColumns.empty() && f.ipStdColumns.front() > 0;
    present.resistance = true;
    const bool syntheticIp = synthetic.ip && f.calcIpColumn > 0;
    present.ip = hasIp || syntheticIp;
    present.resistanceStd = f.resistivityStdColumn > 0;
    present.ipStd = hasIpStd;
    present.calcResistance = f.calcResistivityColumn > 0;
    present.calcIp = f.calcIpColumn > 0;
    present.calcResistanceStd = f.calcResistivityStdColumn > 0;
    present.calcIpStd = f.calcIpStdColumn > 0;

    const std::size_t windows = hasIp ? f.ipWindowColumns.size() : (present.ip ? 1 : 0);
    const std::size_t stdWindows = hasIpStd ? f.ipStdColumns.size() : 0;
    const std::size_t capacity = blockLineCount(text, bounds);
    auto sized = [&](std::vector<double>& v, bool wanted) { if (wanted) v.reserve(capacity); };
    q.rows.reserve(capacity);
    sized(q.resistance, true);
    sized(q.current, true);
    q.skip.reserve(capacity);
    // A header may declare thousands of IP windows over a block of rows too
    // short to fill them: room for every window times every line would be
    // gigabytes of address space. Beyond the windows instruments record, the
    // columns grow with the rows instead.
    constexpr std::size_t kReservedWindows = 64;
    const bool reserveWindows = windows + stdWindows <= kReservedWindows;
    q.ip.resize(windows);
    q.ipStd.resize(stdWindows);
    if (reserveWindows) {
        for (auto& w : q.ip) w.reserve(capacity);
        for (auto& w : q.ipStd) w.reserve(capacity);
    }
    sized(q.resistanceStd, present.resistanceStd);
    sized(q.calcResistance, present.calcResistance);
    sized(q.calcIp, present.calcIp);
    sized(q.calcResistanceStd, present.calcResistanceStd);
    sized(q.calcIpStd, present.calcIpStd);

    const CableIndex cables(survey.cableNames);
    const auto remoteCable = static_cast<std::int32_t>(survey.cableNames.size()) + 1;
    const bool instrument = !sequence.dataKindName.empty();
    const Column cableColumn[4] = {f.aCableColumn, f.bCableColumn, f.mCableColumn, f.nCableColumn};
    const Column electrodeColumn[4] = {f.aElectrodeColumn, f.bElectrodeColumn, f.mElectrodeColumn, f.nElectrodeColumn};
    BlockNumbers number;

    const Status status = forEachBlockRow(text, bounds, f.columnCount, kDataBlock, source, log,
                           [&](const classParseLine& t, std::size_t ordinal, std::string_view row) {
        const int skip = f.skipColumn > 0 ? roundHalfEven(number(t, f.skipColumn, ordinal, row)) : 0;
        if (skip < 0) {
            log.warning(source, "Invalid Skip flag detected." + rowPosition(kDataBlock, ordinal, row));
            return Status::Ok;
        }
        Quadrupole quad;
        quad.id = static_cast<std::int32_t>(q.rows.size() + 1);
        for (int p = A; p <= N; ++p) {
            ElectrodeRef& ref = quad.pole[p];
            ref.cable = cableColumn[p] > 0 ? cables.find(t.View(cableColumn[p])) : 1;
            ref.number = roundHalfEven(number(t, electrodeColumn[p], ordinal, row));
        }
        if (!instrument) {
            for (const ElectrodeRef& ref : quad.pole)
                if (ref.cable == 0 || ref.number == 0)
                    return log.error(source, "Invalid cable/electrode number detected for quadrupole." +
                                                 rowPosition(kDataBlock, ordinal, row));
        } else {
            // Missing poles of an instrument sequence are remote electrodes,
            // numbered 1..4 on a virtual cable after the last one.
            ElectrodeRef* pole = quad.pole;
            if (pole[A].cable == 0 && pole[A].number == 0) pole[A] = {remoteCable, 1};
            if (pole[B].cable == 0 && pole[B].number == 0) pole[B] = {remoteCable, 2};
            if (pole[M].cable == 0 || pole[M].number == 0) pole[M] = {remoteCable, 3};
            if (pole[N].cable == 0 || pole[N].number == 0) pole[N] = {remoteCable, 4};
        }
        q.rows.push_back(quad);

        const double calcResistance = number(t, f.calcResistivityColumn, ordinal, row);
        q.resistance.push_back(synthetic.resistance ? calcResistance : number(t, f.resistivityColumn, ordinal, row));
        if (present.calcResistance) q.calcResistance.push_back(calcResistance);
        for (std::size_t w = 0; w < windows; ++w)
            q.ip[w].push_back(w == 0 && syntheticIp ? number(t, f.calcIpColumn, ordinal, row) : number(t, f.ipWindowColumns[w], ordinal, row));
        if (present.calcIp) q.calcIp.push_back(number(t, f.calcIpColumn, ordinal, row));
        if (present.resistanceStd) q.resistanceStd.push_back(number(t, f.resistivityStdColumn, ordinal, row));
        for (std::size_t w = 0; w < stdWindows; ++w) q.ipStd[w].push_back(number(t, f.ipStdColumns[w], ordinal, row));
        if (present.calcResistanceStd) q.calcResistanceStd.push_back(number(t, f.calcResistivityStdColumn, ordinal, row));
        if (present.calcIpStd) q.calcIpStd.push_back(number(t, f.calcIpStdColumn, ordinal, row));
        q.current.push_back(f.currentColumn > 0 ? number(t, f.currentColumn, ordinal, row) : 1000.0);
        q.skip.push_back(static_cast<std::int16_t>(std::min(skip, 32767)));
        return Status::Ok;
    }, feedback);
    if (status == Status::Ok) number.report(log, source, kDataBlock);
    return status;
}

}  // namespace vexora
