#include "core/qc/ReciprocalFile.h"

#include "core/io/TextFile.h"
#include "core/settings/NumberText.h"

namespace vexora {

std::string reciprocalFileText(const ReciprocalResult& result, ReciprocalOrder order)
{
    static const char* const header[] = {"! Nr. ", " cA ", " A ", " cB ", " B ", " cM ", " M", " cN ",
                                         " N ", " ID ", " ID_Rec ", " V/I ", " V/I_Rec ", " %Diff ",
                                         " ABSDiff ", " Duplic_of "};
    std::string text;
    text.reserve(96 * (result.rows.size() + 1));
    for (std::size_t k = 0; k < std::size(header); ++k) {
        if (k) text += '\t';
        text += header[k];
    }
    text += kLineBreak;
    std::size_t number = 0;
    for (const std::size_t index : reciprocalOrder(result, order)) {
        const ReciprocalRow& row = result.rows[index];
        text += std::to_string(++number);
        for (const ElectrodeRef& pole : row.pole) {
            text += '\t';
            text += std::to_string(pole.cable);
            text += '\t';
            text += std::to_string(pole.number);
        }
        text += '\t';
        text += std::to_string(row.id);
        if (row.paired()) {
            const ReciprocalRow& partner = result.rows[row.partnerRow];
            text += '\t' + std::to_string(row.partnerId);
            text += '\t' + formatFixed(row.value, 6);
            text += '\t' + formatFixed(partner.value, 6);
            text += '\t' + formatFixed(row.percDiff, 1);
            // An undefined difference keeps its marker readable as -999.0.
            text += '\t' + formatFixed(row.absDiff, row.absDiff == kUndefinedDifference ? 1 : 6);
        } else {
            text += "\tNo Rec.\t" + formatFixed(row.value, 6) + "\t-\t-\t-";
        }
        text += '\t';
        text += row.duplicateOf == kNoQuadrupoleId ? std::string("-") : std::to_string(row.duplicateOf);
        text += kLineBreak;
    }
    return text;
}

Status writeReciprocalFile(const std::filesystem::path& path, const ReciprocalResult& result, ReciprocalOrder order,
                           MessageLog& log)
{
    std::string why;
    if (!writeFileAtomically(path, reciprocalFileText(result, order), &why))
        return log.error("cmdSave", path.string() + ": " + why);
    return Status::Ok;
}

}  // namespace vexora
