#include "engine/forward2d/LineSensitivity.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace vexora {

namespace {

struct NearCell {
    std::size_t cell = 0;
    std::array<std::int64_t, 4> node{};
    std::array<double, 4> load{};  // exact primary load less (K_c + k^2 M_c) U_p
};

std::vector<NearCell> nearCells(const LineGrid& grid, const std::vector<CellMatrices>& matrices,
                                const LineSource& source, double k, std::span<const double> up)
{
    std::vector<NearCell> near;
    for (int id = std::max(0, source.at.id - 2); id <= std::min(grid.depthCount() - 2, source.at.id + 2); ++id)
        for (int is = std::max(0, source.at.is - 2); is <= std::min(grid.sCount() - 2, source.at.is + 2); ++is) {
            NearCell c;
            c.cell = static_cast<std::size_t>(grid.cell(is, id));
            c.node = {grid.node(is, id), grid.node(is + 1, id), grid.node(is, id + 1), grid.node(is + 1, id + 1)};
            c.load = exactPrimaryLoad(grid, source, k, is, id);
            const CellMatrices& m = matrices[c.cell];
            for (int p = 0; p < 4; ++p)
                for (int q = 0; q < 4; ++q)
                    c.load[static_cast<std::size_t>(p)] -=
                        (m.stiffness[static_cast<std::size_t>(4 * p + q)] + k * k * m.mass[static_cast<std::size_t>(4 * p + q)]) *
                        up[static_cast<std::size_t>(c.node[static_cast<std::size_t>(q)])];
            near.push_back(c);
        }
    return near;
}

}  // namespace

Status lineSensitivities(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                         const ComputeControl& control, std::string_view source, MessageLog& log,
                         std::vector<double>& resistance, LineJacobian& jacobian)
{
    const QuadrupolePlan& plan = setup.plan;
    const std::size_t nodes = static_cast<std::size_t>(grid.nodes()), waves = setup.wavenumbers.k.size();
    const int cs = grid.sCount() - 1, cd = grid.depthCount() - 1;
    const std::vector<CellMatrices> matrices = gridCellMatrices(grid);

    // Total fields per (source, wavenumber), and in the cells next to the
    // source what the forward model's exact primary adds to the nodal one.
    std::vector<double> field(plan.sources.size() * waves * nodes);
    auto fieldOf = [&](std::size_t source, std::size_t w) { return field.data() + (source * waves + w) * nodes; };
    std::vector<std::vector<NearCell>> near(plan.sources.size() * waves);
    if (lineResistances(grid, setup, conductivity, control, 0, 80, source, log, resistance,
                        [&](std::size_t j, std::size_t w, std::span<const double> up, std::span<const double> us) {
                            double* u = fieldOf(j, w);
                            for (std::size_t n = 0; n < nodes; ++n) u[n] = up[n] + us[n];
                            const LineSource pole = lineSourceAt(
                                grid, setup.at[static_cast<std::size_t>(plan.sources[j])], conductivity);
                            near[j * waves + w] = nearCells(grid, matrices, pole, setup.wavenumbers.k[w], up);
                        }) != Status::Ok)
        return Status::Error;

    jacobian.cells = static_cast<std::size_t>(grid.cells());
    jacobian.values.assign(plan.pole.size() * jacobian.cells, 0.0);

    std::atomic<std::size_t> next{0};
    auto work = [&] {
        std::vector<double> a(nodes), m(nodes);
        for (std::size_t q = next++; q < plan.pole.size(); q = next++) {
            if (!plan.computed[q]) continue;
            double* row = jacobian.values.data() + q * jacobian.cells;
            for (std::size_t w = 0; w < waves; ++w) {
                // The current dipole's field and the measuring dipole's, absent poles left out.
                std::fill(a.begin(), a.end(), 0.0);
                std::fill(m.begin(), m.end(), 0.0);
                for (int p = A; p <= N; ++p) {
                    const std::int32_t e = plan.pole[q][static_cast<std::size_t>(p)];
                    if (e < 0) continue;
                    const double* u = fieldOf(static_cast<std::size_t>(plan.sourceIndex[static_cast<std::size_t>(e)]), w);
                    std::vector<double>& into = p <= B ? a : m;
                    const double sign = p == A || p == M ? 1.0 : -1.0;
                    for (std::size_t n = 0; n < nodes; ++n) into[n] += sign * u[n];
                }
                const double scale = -2 * setup.wavenumbers.weight[w];
                for (int p = A; p <= B; ++p) {
                    const std::int32_t e = plan.pole[q][static_cast<std::size_t>(p)];
                    if (e < 0) continue;
                    const double sign = p == A ? scale : -scale;
                    for (const NearCell& c : near[static_cast<std::size_t>(plan.sourceIndex[static_cast<std::size_t>(e)]) * waves + w])
                        for (int r = 0; r < 4; ++r)
                            row[c.cell] += sign * c.load[static_cast<std::size_t>(r)] * m[static_cast<std::size_t>(c.node[static_cast<std::size_t>(r)])];
                }
                const double k2 = setup.wavenumbers.k[w] * setup.wavenumbers.k[w];
                for (int id = 0; id < cd; ++id)
                    for (int is = 0; is < cs; ++is) {
                        const std::size_t c = static_cast<std::size_t>(grid.cell(is, id));
                        const CellMatrices& cm = matrices[c];
                        const std::int64_t node[4] = {grid.node(is, id), grid.node(is + 1, id), grid.node(is, id + 1),
                                                      grid.node(is + 1, id + 1)};
                        double sum = 0;
                        for (int p = 0; p < 4; ++p) {
                            double kp = 0;
                            for (int r = 0; r < 4; ++r)
                                kp += (cm.stiffness[static_cast<std::size_t>(4 * p + r)] +
                                       k2 * cm.mass[static_cast<std::size_t>(4 * p + r)]) *
                                      m[static_cast<std::size_t>(node[r])];
                            sum += a[static_cast<std::size_t>(node[p])] * kp;
                        }
                        row[c] += scale * sum;
                    }
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::max(setup.settings.threads, 1); ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    control.report(100, "2.5D sensitivities done");
    return Status::Ok;
}

}  // namespace vexora
