#include "engine/forward2d/LineSensitivity.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>

namespace vexora {

namespace {

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
            for (std::size_t p = 0; p < 4; ++p)
                for (std::size_t q = 0; q < 4; ++q)
                    c.load[p] -= (m.stiffness[4 * p + q] + k * k * m.mass[4 * p + q]) *
                                 up[static_cast<std::size_t>(c.node[q])];
            near.push_back(c);
        }
    return near;
}

}  // namespace

Status lineResistancesAndFields(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                                const ComputeControl& control, int from, int to, std::string_view source,
                                MessageLog& log, std::vector<double>& resistance, LinePoleFields& fields)
{
    const QuadrupolePlan& plan = setup.plan;
    const std::vector<CellMatrices> matrices = gridCellMatrices(grid);
    fields.nodes = static_cast<std::size_t>(grid.nodes());
    fields.waves = setup.wavenumbers.k.size();
    fields.total.resize(plan.sources.size() * fields.waves * fields.nodes);
    fields.near.assign(plan.sources.size() * fields.waves, {});
    return lineResistances(grid, setup, conductivity, control, from, to, source, log, resistance,
                           [&](std::size_t j, std::size_t w, std::span<const double> up, std::span<const double> us) {
                               double* u = fields.total.data() + (j * fields.waves + w) * fields.nodes;
                               for (std::size_t n = 0; n < fields.nodes; ++n) u[n] = up[n] + us[n];
                               const LineSource pole = lineSourceAt(
                                   grid, setup.at[static_cast<std::size_t>(plan.sources[j])], conductivity);
                               fields.near[j * fields.waves + w] =
                                   nearCells(grid, matrices, pole, setup.wavenumbers.k[w], up);
                           });
}

void lineSensitivityRows(const LineGrid& grid, const LineSetup& setup, const LinePoleFields& fields,
                         std::span<const std::size_t> rows, const LineSensitivityStore& store)
{
    const QuadrupolePlan& plan = setup.plan;
    const std::size_t nodes = fields.nodes, waves = fields.waves, cells = static_cast<std::size_t>(grid.cells());
    // K_c + k^2 M_c of every cell at every wavenumber, and the cells' corners.
    std::vector<double> system(waves * cells * 16);
    std::vector<std::array<std::size_t, 4>> corners(cells);
    {
        const std::vector<CellMatrices> matrices = gridCellMatrices(grid);
        for (std::size_t w = 0; w < waves; ++w) {
            const double k2 = setup.wavenumbers.k[w] * setup.wavenumbers.k[w];
            for (std::size_t c = 0; c < cells; ++c)
                for (std::size_t e = 0; e < 16; ++e)
                    system[(w * cells + c) * 16 + e] = matrices[c].stiffness[e] + k2 * matrices[c].mass[e];
        }
        for (int id = 0; id + 1 < grid.depthCount(); ++id)
            for (int is = 0; is + 1 < grid.sCount(); ++is)
                corners[static_cast<std::size_t>(grid.cell(is, id))] = {
                    static_cast<std::size_t>(grid.node(is, id)), static_cast<std::size_t>(grid.node(is + 1, id)),
                    static_cast<std::size_t>(grid.node(is, id + 1)), static_cast<std::size_t>(grid.node(is + 1, id + 1))};
    }
    // Quadrupoles with one current dipole share its part of every cell's
    // product, a^T S_c: grouped, each group's rows are summed together.
    auto pole = [&](std::size_t i, int p) { return plan.pole[rows[i]][static_cast<std::size_t>(p)]; };
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        return std::pair(pole(x, A), pole(x, B)) < std::pair(pole(y, A), pole(y, B));
    });
    std::vector<std::size_t> groupStart;
    for (std::size_t g = 0; g < order.size(); ++g)
        if (g == 0 || pole(order[g], A) != pole(order[g - 1], A) || pole(order[g], B) != pole(order[g - 1], B))
            groupStart.push_back(g);
    groupStart.push_back(order.size());

    // u = U_first - U_second at wavenumber w, absent poles left out.
    auto difference = [&](std::int32_t first, std::int32_t second, std::size_t w, std::vector<double>& u) {
        std::fill(u.begin(), u.end(), 0.0);
        for (const auto& [e, sign] : {std::pair(first, 1.0), std::pair(second, -1.0)}) {
            if (e < 0) continue;
            const double* field = fields.of(static_cast<std::size_t>(plan.sourceIndex[static_cast<std::size_t>(e)]), w);
            for (std::size_t n = 0; n < nodes; ++n) u[n] += sign * field[n];
        }
    };
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        std::vector<double> a(nodes), m(nodes), t(cells * 4), sums;
        for (std::size_t g = next++; g + 1 < groupStart.size(); g = next++) {
            const std::size_t begin = groupStart[g], end = groupStart[g + 1];
            sums.assign((end - begin) * cells, 0.0);
            const std::int32_t currentA = pole(order[begin], A), currentB = pole(order[begin], B);
            for (std::size_t w = 0; w < waves; ++w) {
                const double scale = -2 * setup.wavenumbers.weight[w];
                difference(currentA, currentB, w, a);
                const double* s = system.data() + w * cells * 16;
                for (std::size_t c = 0; c < cells; ++c) {
                    const std::array<std::size_t, 4>& n = corners[c];
                    for (std::size_t r = 0; r < 4; ++r)
                        t[4 * c + r] = scale * (s[16 * c + r] * a[n[0]] + s[16 * c + 4 + r] * a[n[1]] +
                                                s[16 * c + 8 + r] * a[n[2]] + s[16 * c + 12 + r] * a[n[3]]);
                }
                for (std::size_t i = begin; i < end; ++i) {
                    difference(pole(order[i], M), pole(order[i], N), w, m);
                    double* row = sums.data() + (i - begin) * cells;
                    for (std::size_t c = 0; c < cells; ++c) {
                        const std::array<std::size_t, 4>& n = corners[c];
                        row[c] += t[4 * c] * m[n[0]] + t[4 * c + 1] * m[n[1]] + t[4 * c + 2] * m[n[2]] +
                                  t[4 * c + 3] * m[n[3]];
                    }
                    for (const auto& [e, sign] : {std::pair(currentA, scale), std::pair(currentB, -scale)}) {
                        if (e < 0) continue;
                        const auto source = static_cast<std::size_t>(plan.sourceIndex[static_cast<std::size_t>(e)]);
                        for (const NearCell& c : fields.near[source * waves + w])
                            for (std::size_t r = 0; r < 4; ++r)
                                row[c.cell] += sign * c.load[r] * m[static_cast<std::size_t>(c.node[r])];
                    }
                }
            }
            for (std::size_t i = begin; i < end; ++i)
                store(order[i], std::span<const double>(sums.data() + (i - begin) * cells, cells));
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::max(setup.settings.threads, 1); ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
}

Status lineSensitivities(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                         const ComputeControl& control, std::string_view source, MessageLog& log,
                         std::vector<double>& resistance, LineJacobian& jacobian)
{
    LinePoleFields fields;
    if (lineResistancesAndFields(grid, setup, conductivity, control, 0, 80, source, log, resistance, fields) !=
        Status::Ok)
        return Status::Error;
    std::vector<std::size_t> rows;
    for (std::size_t q = 0; q < setup.plan.pole.size(); ++q)
        if (setup.plan.computed[q]) rows.push_back(q);
    jacobian.cells = static_cast<std::size_t>(grid.cells());
    jacobian.values.assign(setup.plan.pole.size() * jacobian.cells, 0.0);
    lineSensitivityRows(grid, setup, fields, rows, [&](std::size_t i, std::span<const double> row) {
        std::copy(row.begin(), row.end(), jacobian.values.begin() + static_cast<std::ptrdiff_t>(rows[i] * jacobian.cells));
    });
    control.report(100, "2.5D sensitivities done");
    return Status::Ok;
}

}  // namespace vexora
