#include <gtest/gtest.h>

#include <random>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;

// Damaged copies of a valid file: bytes changed, lines cut short or
// repeated, the text truncated. Every one must load or fail cleanly, and a
// failed load must leave the earlier survey in place.
TEST(DataFileFuzz, DamagedFilesNeverCorruptTheSurvey)
{
    const std::string original = vexora::testing::smallSurvey();
    const std::string alphabet = "0123456789 ,\t\r\n#!-.eE+xAB=";
    std::mt19937 random(12345);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };

    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    questions.setDefaultAnswer(true);
    store.type = ProjectType::DataInversion;
    ASSERT_EQ(loadScheduleText(store, original, {"good.data", store.type}, log, questions), LoadStatus::Loaded);

    for (int trial = 0; trial < 3000; ++trial) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(pick(4));
        for (int e = 0; e < edits; ++e) {
            switch (pick(4)) {
            case 0: text[pick(text.size())] = alphabet[pick(alphabet.size())]; break;
            case 1: text[pick(text.size())] = static_cast<char>(pick(256)); break;
            case 2: text.resize(pick(text.size())); break;
            default: {
                const std::size_t at = pick(text.size());
                text.insert(at, text.substr(at, pick(40)));
            }
            }
            if (text.empty()) break;
        }
        const ProjectStore before = store;
        log.clear();
        const int status = static_cast<int>(loadScheduleText(store, text, {"damaged.data", store.type}, log, questions));
        if (status != 0) {
            ASSERT_EQ(store.survey.electrodes, before.survey.electrodes) << text;
            ASSERT_EQ(store.survey.quadrupoles, before.survey.quadrupoles) << text;
            ASSERT_EQ(store.settings, before.settings) << text;
            ASSERT_NE(log.plainText().find("damaged.data not loaded"), std::string::npos) << log.plainText();
        } else {
            // What loads must also save.
            ScheduleLayouts layouts{store.electrodeFormat, store.dataFormat, store.topographyFormat};
            std::string saved;
            appendScheduleBlocks(saved, store.survey, layouts, 0, false);
            EXPECT_NE(saved.find("#data_end"), std::string::npos);
        }
    }
}

}  // namespace
