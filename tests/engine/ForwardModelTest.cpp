#include <gtest/gtest.h>

#include "forward/ForwardModel.h"

namespace vexora {
namespace {

TEST(ForwardModel, RefusesAStoreWithoutMesh)
{
    ProjectStore store;
    MessageLog log;
    EXPECT_EQ(runForwardModel(store, log), 1);
    EXPECT_TRUE(store.survey.quadrupoles.calcResistance.empty());
}

}  // namespace
}  // namespace vexora
