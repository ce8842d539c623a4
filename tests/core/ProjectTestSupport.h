#pragma once
// The small survey loaded as a Data Inversion workspace loads it.

#include <gtest/gtest.h>

#include "core/datafile/ScheduleLoader.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/SmallSurvey.h"

namespace vexora::testing {

inline ProjectStore smallProject()
{
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    EXPECT_EQ(loadScheduleText(store, smallSurvey(), {"small.data", ProjectType::DataInversion, true}, log,
                               questions),
              LoadStatus::Loaded)
        << log.plainText();
    return store;
}

}  // namespace vexora::testing
