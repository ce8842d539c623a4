#pragma once
// The processes of one job. A job runs as one process, or as several ranks
// started together by mpirun, each with the whole script: every rank solves
// its share of the sources and holds its share of the sensitivity rows, and
// the few results they must share meet through these collectives. Every
// rank calls them in the same order; one that stops early must still meet
// the others at the next agreement, which is why the steps agree on their
// status rather than return on their own.

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace vexora {

class Ranks {
public:
    virtual ~Ranks() = default;
    virtual int index() const = 0;  // this rank, 0 to count() - 1
    virtual int count() const = 0;
    // The ranks on this rank's machine, sharing its memory (this one included).
    virtual int onThisMachine() const = 0;
    // Every rank gets the element-wise sum over ranks, with the same bits
    // on every rank, so that replicated computations stay in step.
    virtual void sum(std::span<double> values) const = 0;
    virtual void sum(std::span<float> values) const = 0;
    // The lowest rank whose `flag` is set, or -1 when no rank's is.
    virtual int firstFlagged(bool flag) const = 0;
    // The `text` of rank `from`, on every rank.
    virtual std::string broadcast(const std::string& text, int from) const = 0;
};

// One process alone.
const Ranks& singleProcess();

// The ranks of this process: MPI's when the program was started by an MPI
// launcher (and built with MPI), otherwise one process. The returned object
// ends MPI when destroyed.
std::unique_ptr<Ranks> joinRanks(int& argc, char**& argv);

// The part [first, last) of n items held by rank `index` of `count`.
struct RankShare {
    std::size_t first = 0, last = 0;
    std::size_t size() const { return last - first; }
};
inline RankShare rankShare(std::size_t n, int index, int count)
{
    const auto i = static_cast<std::size_t>(index), c = static_cast<std::size_t>(count);
    return {n * i / c, n * (i + 1) / c};
}
inline RankShare rankShare(std::size_t n, const Ranks& ranks) { return rankShare(n, ranks.index(), ranks.count()); }

inline bool anyRank(const Ranks& ranks, bool flag) { return ranks.firstFlagged(flag) >= 0; }

// Ok on every rank when it is Ok on every rank, otherwise Error on all: a
// step that failed on one rank ends on all of them, the failing rank
// having logged why.
template <class Status>
Status agreedStatus(const Ranks& ranks, Status mine)
{
    if (ranks.count() == 1) return mine;
    return anyRank(ranks, mine != Status::Ok) ? Status::Error : Status::Ok;
}

}  // namespace vexora
