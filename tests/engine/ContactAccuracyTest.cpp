#include <gtest/gtest.h>

#include "ForwardTestSupport.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// A vertical contact at x = c between rho1 (x < c) and rho2 reaches every
// outer face but the top. Its closed form, by one image: a unit current at
// the surface in medium i gives, with k = (rho_j - rho_i) / (rho_j + rho_i),
//   rho_i / (2 pi) (1 / r + k / r')   in its own medium (r' from the mirror image),
//   rho_i (1 + k) / (2 pi r)          across the contact.
struct Contact {
    double c, rho1, rho2;

    double potential(double source, double receiver) const
    {
        const bool sourceLeft = source < c, receiverLeft = receiver < c;
        const double rhoI = sourceLeft ? rho1 : rho2, rhoJ = sourceLeft ? rho2 : rho1;
        const double k = (rhoJ - rhoI) / (rhoJ + rhoI), r = std::abs(receiver - source);
        if (sourceLeft != receiverLeft) return rhoI * (1 + k) / (2 * std::numbers::pi * r);
        return rhoI / (2 * std::numbers::pi) * (1 / r + k / std::abs(receiver - (2 * c - source)));
    }

    double resistance(const std::vector<Electrode>& el, const Quad& q) const
    {
        double v = 0;
        for (int a = 0; a < 2; ++a)
            for (int m = 2; m < 4; ++m)
                if (q[static_cast<std::size_t>(a)] && q[static_cast<std::size_t>(m)])
                    v += ((a == 0) == (m == 2) ? 1 : -1) *
                         potential(el[static_cast<std::size_t>(q[static_cast<std::size_t>(a)] - 1)].x,
                                   el[static_cast<std::size_t>(q[static_cast<std::size_t>(m)] - 1)].x);
        return v;
    }
};

// V/I of the survey over the contact under the given outer conditions
// (-X +X -Y +Y -Z).
std::vector<double> contactResistances(const Contact& contact, const std::vector<Quad>& quads, const char* faces,
                                       std::vector<Electrode>& electrodes)
{
    ProjectStore store = lineSurvey(16, 1.0, quads);
    setSettingText(store.settings, Item::BoundaryConditions, faces);
    MessageLog log;
    EXPECT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    for (std::size_t e = 0; e < store.models.conductivity.size(); ++e) {
        double x = 0;
        for (std::int32_t n : store.mesh.elementNodes[e]) x += store.mesh.nodeGrid[static_cast<std::size_t>(n - 1)].x / 8;
        store.models.conductivity[e] = 1 / (x < contact.c ? contact.rho1 : contact.rho2);
    }
    EXPECT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    electrodes = store.survey.electrodes;
    return store.survey.quadrupoles.calcResistance;
}

// Where the conductivity at the mesh edge differs from the source's, the
// secondary field's right-hand side carries the primary field's flux through
// the outer faces; without it the result depended on the outer condition
// (Neumann sides were off by up to 30 % where the others agreed).
TEST(ContactReachingTheEdge, FollowsTheClosedFormUnderEveryOuterCondition)
{
    const Contact contact{7.5, 30, 300};
    std::vector<Quad> quads = dipoleDipole(16);
    for (const Quad& q : poleDipole(16)) quads.push_back(q);
    std::vector<Electrode> electrodes;
    const std::vector<double> mixed = contactResistances(contact, quads, "1 1 1 1 1", electrodes);
    ASSERT_EQ(mixed.size(), quads.size());
    std::vector<double> error;
    for (std::size_t k = 0; k < quads.size(); ++k)
        error.push_back(std::abs(mixed[k] / contact.resistance(electrodes, quads[k]) - 1));
    std::printf("mixed: median %.3f%% max %.3f%%\n", 100 * median(error), 100 * *std::max_element(error.begin(), error.end()));
    EXPECT_LE(median(error), 0.004);
    EXPECT_LE(*std::max_element(error.begin(), error.end()), 0.08);
    for (const char* faces : {"0 0 0 0 0", "1 1 1 1 2", "2 2 2 2 1"}) {
        const std::vector<double> other = contactResistances(contact, quads, faces, electrodes);
        ASSERT_EQ(other.size(), quads.size());
        double apart = 0;
        for (std::size_t k = 0; k < quads.size(); ++k) apart = std::max(apart, std::abs(other[k] / mixed[k] - 1));
        std::printf("%s: at most %.3f%% from mixed\n", faces, 100 * apart);
        EXPECT_LE(apart, 0.02) << faces;
    }
}

}  // namespace
}  // namespace vexora
