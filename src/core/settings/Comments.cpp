// "!" comments of configuration and data files, and applying a whole
// configuration text as a file holds it.

#include <cstring>

#include "core/settings/Configuration.h"

#include "core/io/TextFile.h"

namespace vexora {

Status funRemoveComments(std::string& text)
{
    std::size_t bang = text.find('!');
    if (bang == std::string::npos) return Status::Ok;
    // Compact in place: each comment runs from its "!" to the line break,
    // which stays (CR LF, or LF alone), or to the end of the text.
    const std::size_t n = text.size();
    std::size_t write = bang;
    while (bang < n) {
        const std::size_t lf = text.find('\n', bang);
        std::size_t keepFrom = lf == std::string::npos ? n : lf;
        if (lf != std::string::npos && keepFrom > bang + 1 && text[keepFrom - 1] == '\r') --keepFrom;
        const std::size_t nextBang = text.find('!', keepFrom);
        const std::size_t keepTo = nextBang == std::string::npos ? n : nextBang;
        std::memmove(text.data() + write, text.data() + keepFrom, keepTo - keepFrom);
        write += keepTo - keepFrom;
        bang = keepTo;
    }
    text.resize(write);
    return Status::Ok;
}

ConfigurationStatus applyConfigurationText(std::string text, SettingsTable& table, MessageLog& log,
                                           AnomalyTags anomalies)
{
    normaliseLoneCarriageReturns(text);
    (void)funRemoveComments(text);  // always Ok
    BlockBounds electrodeBlock, dataBlock, topographyBlock;
    ElectrodeFormat electrodeFormat;
    DataFormat dataFormat;
    TopographyFormat topographyFormat;
    SequenceHeader sequenceHeader;
    return funLoadConfiguration(text, electrodeBlock, dataBlock, topographyBlock, electrodeFormat, dataFormat,
                                topographyFormat, sequenceHeader, table, log, anomalies);
}

}  // namespace vexora
