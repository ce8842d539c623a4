#include "engine/solver/CholmodSolver.h"

#ifdef VEXORA_HAVE_CHOLMOD

#include <cholmod.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/memory/LargeMemory.h"

namespace vexora {

namespace {

// OpenBLAS's thread count, when that is the BLAS in use (others are left as
// they are). The factorisation's large supernodes gain from its threads;
// the solves run one call per thread of ours on one BLAS thread each, since
// between calls idle BLAS threads spin in sched_yield against ours.
void setBlasThreads(int threads)
{
    using SetThreads = void (*)(int);
    static const auto set = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "openblas_set_num_threads"));
    if (set) set(threads);
}

// What a source in a batch holds per grid point: its primary field,
// right-hand side and solution, the five vectors of its own outer condition,
// and CHOLMOD's dense right-hand side and solution.
constexpr int kDoublesPerBatchColumn = 10;
// Beyond this many columns a solve gains little more.
constexpr int kWidestBatch = 48;

// A factor entry: its value and its row index.
double factorBytesOf(double entries)
{
    return entries * (sizeof(double) + sizeof(SuiteSparse_long));
}

// The pattern of the upper triangle and its symbolic factor (ordering,
// elimination tree, supernodes), kept unfactorised so each model copies it.
struct CholmodAnalysis final : SolverAnalysis {
    std::vector<SuiteSparse_long> columnStart, row;
    double factorEntries = 0;  // nonzeros of L
    double factorFlops = 0;    // of the numerical factorisation
    mutable cholmod_common common{};
    cholmod_factor* symbolic = nullptr;

    CholmodAnalysis() { cholmod_l_start(&common); }
    ~CholmodAnalysis() override
    {
        if (symbolic) cholmod_l_free_factor(&symbolic, &common);
        cholmod_l_finish(&common);
    }
    CholmodAnalysis(const CholmodAnalysis&) = delete;
    CholmodAnalysis& operator=(const CholmodAnalysis&) = delete;

    bool fits(const cholmod_sparse& upper) const
    {
        const auto* p = static_cast<const SuiteSparse_long*>(upper.p);
        const auto* i = static_cast<const SuiteSparse_long*>(upper.i);
        return columnStart.size() == upper.ncol + 1 && std::equal(columnStart.begin(), columnStart.end(), p) &&
               std::equal(row.begin(), row.end(), i);
    }
};

class CholmodSolver final : public LinearSolver {
public:
    CholmodSolver(const StencilMatrix& a, int threads) : a_(a), threads_(std::max(threads, 1)), batch_(8 * threads_)
    {
        cholmod_l_start(&common_);
    }
    ~CholmodSolver() override
    {
        if (factor_) cholmod_l_free_factor(&factor_, &common_);
        cholmod_l_finish(&common_);
    }
    CholmodSolver(const CholmodSolver&) = delete;
    CholmodSolver& operator=(const CholmodSolver&) = delete;

    // Analysis (or the one in `analysis` when it fits), budget check,
    // factorisation; false with `why` on failure.
    bool factorise(std::uint64_t budgetBytes, std::string& why, std::shared_ptr<SolverAnalysis>& analysis);
    SolveReport solve(std::span<const double> b, std::span<double> x, int count) const override;
    int preferredBatch() const override { return batch_; }
    std::string name() const override { return "CHOLMOD"; }

private:
    const StencilMatrix& a_;
    int threads_;
    int batch_;
    std::vector<std::int64_t> gridIndex_;  // real node -> grid point
    mutable cholmod_common common_{};
    cholmod_factor* factor_ = nullptr;
};

// The upper triangle of `a` over its real nodes by columns, `gridIndex`
// getting the grid point of each column. The pattern must not depend on the
// model, so that its analysis serves the next one: a coupling that sums to
// zero in a uniform model is kept as an entry; only a node decoupled from
// all its neighbours (held at zero by an outer condition) has none.
cholmod_sparse* upperTriangle(const StencilMatrix& a, std::vector<std::int64_t>& gridIndex, cholmod_common& common)
{
    gridIndex.clear();
    gridIndex.reserve(static_cast<std::size_t>(a.nx) * a.ny * a.nz);
    std::vector<std::int64_t> realIndex(static_cast<std::size_t>(a.gridPoints()), -1);
    forEachRealNode(a, 1, a.nz + 1, [&](std::int64_t k) {
        realIndex[static_cast<std::size_t>(k)] = static_cast<std::int64_t>(gridIndex.size());
        gridIndex.push_back(k);
    });
    const std::size_t n = gridIndex.size();
    std::vector<char> coupled(static_cast<std::size_t>(a.gridPoints()), 0);
    for (const std::int64_t k : gridIndex)
        for (int s = 1; s <= kUpperNeighbours; ++s)
            if (a.row(k)[s] != 0.0) {
                coupled[static_cast<std::size_t>(k)] = 1;
                coupled[static_cast<std::size_t>(k + a.upperOffset[static_cast<std::size_t>(s - 1)])] = 1;
            }
    // Column j holds the couplings from earlier nodes (largest offset first,
    // so rows ascend) and then the diagonal.
    cholmod_sparse* upper = cholmod_l_allocate_sparse(n, n, n * kStencilSlots, 1, 1, 1, CHOLMOD_REAL, &common);
    if (!upper) return nullptr;
    auto* p = static_cast<SuiteSparse_long*>(upper->p);
    auto* i = static_cast<SuiteSparse_long*>(upper->i);
    auto* v = static_cast<double*>(upper->x);
    SuiteSparse_long at = 0;
    for (std::size_t j = 0; j < n; ++j) {
        p[j] = at;
        const std::int64_t k = gridIndex[j];
        for (int s = kUpperNeighbours; s >= 1; --s) {
            const std::int64_t from = k - a.upperOffset[static_cast<std::size_t>(s - 1)];
            const double value = a.row(from)[s];
            if (realIndex[static_cast<std::size_t>(from)] < 0 || !coupled[static_cast<std::size_t>(from)] ||
                !coupled[static_cast<std::size_t>(k)])
                continue;
            i[at] = realIndex[static_cast<std::size_t>(from)];
            v[at++] = value;
        }
        i[at] = static_cast<SuiteSparse_long>(j);
        v[at++] = a.row(k)[0];
    }
    p[n] = at;
    return upper;
}

// The analysis in `analysis` when it was made for the pattern of `upper`;
// otherwise a new one, left there. Null when the analysis fails.
const CholmodAnalysis* analysisFor(const cholmod_sparse& upper, std::shared_ptr<SolverAnalysis>& analysis,
                                   bool& reused)
{
    const auto* known = dynamic_cast<const CholmodAnalysis*>(analysis.get());
    reused = known && known->fits(upper);
    if (reused) return known;
    auto made = std::make_shared<CholmodAnalysis>();
    made->common.supernodal = CHOLMOD_SUPERNODAL;
    made->symbolic = cholmod_l_analyze(const_cast<cholmod_sparse*>(&upper), &made->common);
    if (!made->symbolic) return nullptr;
    made->factorEntries = made->common.lnz;
    made->factorFlops = made->common.fl;
    const auto* p = static_cast<const SuiteSparse_long*>(upper.p);
    const auto* i = static_cast<const SuiteSparse_long*>(upper.i);
    made->columnStart.assign(p, p + upper.ncol + 1);
    made->row.assign(i, i + p[upper.ncol]);
    analysis = std::move(made);
    return static_cast<const CholmodAnalysis*>(analysis.get());
}

bool CholmodSolver::factorise(std::uint64_t budgetBytes, std::string& why, std::shared_ptr<SolverAnalysis>& analysis)
{
    cholmod_sparse* upper = upperTriangle(a_, gridIndex_, common_);
    if (!upper) {
        why = "CHOLMOD could not allocate the matrix";
        return false;
    }
    bool reused = false;
    const CholmodAnalysis* known = analysisFor(*upper, analysis, reused);
    if (known) factor_ = cholmod_l_copy_factor(known->symbolic, &common_);
    const double factorBytes = known ? factorBytesOf(known->factorEntries) : 0;
    if (!factor_ || factorBytes > static_cast<double>(budgetBytes)) {
        why = factor_ ? "the factor would take about " + std::to_string(static_cast<long long>(factorBytes / 1048576)) +
                            " MB, more than the " + std::to_string(budgetBytes / 1048576) + " MB allowed"
                      : "CHOLMOD analysis failed";
        cholmod_l_free_sparse(&upper, &common_);
        return false;
    }
    common_.supernodal = CHOLMOD_SUPERNODAL;
    setBlasThreads(threads_);
    const int ok = cholmod_l_factorize(upper, factor_, &common_);
    setBlasThreads(1);
    cholmod_l_free_sparse(&upper, &common_);
    if (!ok || common_.status != CHOLMOD_OK) {
        why = "CHOLMOD factorisation failed (status " + std::to_string(common_.status) + ")";
        return false;
    }
    // Each solve streams the whole factor from memory, so the columns of a
    // call share that cost: wide batches while their vectors take no more
    // than the factor itself and fit beside it in the budget.
    const double perColumn = kDoublesPerBatchColumn * sizeof(double) * static_cast<double>(a_.gridPoints());
    const double room = std::min(factorBytes, static_cast<double>(budgetBytes) - factorBytes);
    batch_ = std::clamp(static_cast<int>(room / perColumn), 8 * threads_, std::max(kWidestBatch, 8 * threads_));
    why = std::string(reused ? "CHOLMOD (analysis of the mesh reused)" : "CHOLMOD") + ", factor of " + std::to_string(static_cast<long long>(factorBytes / 1048576)) + " MB";
    return true;
}

// Solves `count` columns in one call; false when CHOLMOD fails.
bool solveColumns(cholmod_factor* factor, std::span<const std::int64_t> gridIndex, std::size_t grid, const double* b,
                  double* x, std::size_t count)
{
    const std::size_t n = gridIndex.size();
    cholmod_common common;
    cholmod_l_start(&common);
    cholmod_dense* rhs = cholmod_l_allocate_dense(n, count, n, CHOLMOD_REAL, &common);
    cholmod_dense* solution = nullptr;
    if (rhs) {
        auto* r = static_cast<double*>(rhs->x);
        for (std::size_t c = 0; c < count; ++c)
            for (std::size_t j = 0; j < n; ++j) r[c * n + j] = b[c * grid + static_cast<std::size_t>(gridIndex[j])];
        solution = cholmod_l_solve(CHOLMOD_A, factor, rhs, &common);
    }
    if (solution) {
        const auto* s = static_cast<const double*>(solution->x);
        for (std::size_t c = 0; c < count; ++c) {
            double* column = x + c * grid;
            std::fill(column, column + grid, 0.0);
            for (std::size_t j = 0; j < n; ++j) column[gridIndex[j]] = s[c * n + j];
        }
    }
    const bool ok = solution != nullptr;
    cholmod_l_free_dense(&solution, &common);
    cholmod_l_free_dense(&rhs, &common);
    cholmod_l_finish(&common);
    return ok;
}

SolveReport CholmodSolver::solve(std::span<const double> b, std::span<double> x, int count) const
{
    // The batch's columns shared out to our threads, each part one CHOLMOD
    // call on one BLAS thread (setBlasThreads): a call works on all its
    // columns at once through dense kernels, and its own workspace keeps the
    // calls apart; the factor is only read.
    const std::size_t grid = static_cast<std::size_t>(a_.gridPoints()), columns = static_cast<std::size_t>(count);
    if (columns == 0) return {};
    const std::size_t parts = std::clamp<std::size_t>(static_cast<std::size_t>(threads_), 1, columns);
    std::vector<char> solved(parts, 0);
    const auto part = [&](std::size_t p) {
        const std::size_t first = columns * p / parts, last = columns * (p + 1) / parts;
        solved[p] = solveColumns(factor_, gridIndex_, grid, b.data() + first * grid, x.data() + first * grid,
                                 last - first);
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t p = 1; p < parts; ++p) workers.emplace_back(part, p);
        part(0);
    }
    if (std::find(solved.begin(), solved.end(), 0) != solved.end()) return {false, 0, 1.0};
    return {};
}

}  // namespace

bool directSolverAvailable()
{
    return true;
}

std::unique_ptr<LinearSolver> makeCholmodSolver(const StencilMatrix& a, int threads, std::uint64_t budgetBytes,
                                                std::string& why, std::shared_ptr<SolverAnalysis>* analysis)
{
    routeSolverLibraryMemory();
    std::shared_ptr<SolverAnalysis> own;
    auto solver = std::make_unique<CholmodSolver>(a, threads);
    if (!solver->factorise(budgetBytes, why, analysis ? *analysis : own)) return nullptr;
    return solver;
}

bool directFactorCost(const StencilMatrix& a, std::shared_ptr<SolverAnalysis>& analysis, DirectFactorCost& cost,
                      std::string& why)
{
    routeSolverLibraryMemory();
    cholmod_common common;
    cholmod_l_start(&common);
    std::vector<std::int64_t> gridIndex;
    cholmod_sparse* upper = upperTriangle(a, gridIndex, common);
    bool reused = false;
    const CholmodAnalysis* known = upper ? analysisFor(*upper, analysis, reused) : nullptr;
    if (upper) cholmod_l_free_sparse(&upper, &common);
    cholmod_l_finish(&common);
    if (!known) {
        why = "CHOLMOD analysis failed";
        return false;
    }
    cost = {factorBytesOf(known->factorEntries), known->factorEntries, known->factorFlops, reused};
    return true;
}

}  // namespace vexora

#else

namespace vexora {

bool directSolverAvailable()
{
    return false;
}

std::unique_ptr<LinearSolver> makeCholmodSolver(const StencilMatrix&, int, std::uint64_t, std::string& why,
                                                std::shared_ptr<SolverAnalysis>*)
{
    why = "the direct solver is not built in (SuiteSparse not found)";
    return nullptr;
}

bool directFactorCost(const StencilMatrix&, std::shared_ptr<SolverAnalysis>&, DirectFactorCost&, std::string& why)
{
    why = "the direct solver is not built in (SuiteSparse not found)";
    return false;
}

}  // namespace vexora

#endif
