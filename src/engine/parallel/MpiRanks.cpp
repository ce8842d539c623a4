#include <algorithm>
#include <cstdlib>
#include <limits>

#include <mpi.h>

#include "engine/parallel/Ranks.h"

namespace vexora {

namespace {

// Started by mpirun (OpenMPI, or a PMI launcher): only then is MPI joined,
// so that the program started alone never waits on a launcher.
bool launchedByMpi()
{
    for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_SIZE"})
        if (std::getenv(name)) return true;
    return false;
}

// Collectives count in int: larger arrays go in pieces.
constexpr std::size_t kPiece = std::size_t{1} << 28;

class MpiRanks final : public Ranks {
public:
    MpiRanks(int& argc, char**& argv)
    {
        int provided = 0;
        // Only the thread that runs the script calls MPI.
        MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
        MPI_Comm_rank(MPI_COMM_WORLD, &index_);
        MPI_Comm_size(MPI_COMM_WORLD, &count_);
        MPI_Comm machine;
        MPI_Comm_split_type(MPI_COMM_WORLD, MPI_COMM_TYPE_SHARED, 0, MPI_INFO_NULL, &machine);
        MPI_Comm_size(machine, &onThisMachine_);
        MPI_Comm_free(&machine);
    }
    ~MpiRanks() override { MPI_Finalize(); }

    int index() const override { return index_; }
    int count() const override { return count_; }
    int onThisMachine() const override { return onThisMachine_; }
    void sum(std::span<double> values) const override { sumOf(values.data(), values.size(), MPI_DOUBLE); }
    void sum(std::span<float> values) const override { sumOf(values.data(), values.size(), MPI_FLOAT); }
    int firstFlagged(bool flag) const override
    {
        int mine = flag ? index_ : std::numeric_limits<int>::max(), first = 0;
        MPI_Allreduce(&mine, &first, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
        return first == std::numeric_limits<int>::max() ? -1 : first;
    }
    std::string broadcast(const std::string& text, int from) const override
    {
        unsigned long long size = text.size();
        MPI_Bcast(&size, 1, MPI_UNSIGNED_LONG_LONG, from, MPI_COMM_WORLD);
        std::string out = index_ == from ? text : std::string(size, '\0');
        if (size > 0) MPI_Bcast(out.data(), static_cast<int>(size), MPI_CHAR, from, MPI_COMM_WORLD);
        return out;
    }

private:
    // Reduced on rank 0, then sent out: an all-reduce may round differently
    // on different ranks, and the ranks' copies of the model must not drift.
    template <class T>
    void sumOf(T* values, std::size_t n, MPI_Datatype type) const
    {
        for (std::size_t first = 0; first < n; first += kPiece) {
            const int count = static_cast<int>(std::min(kPiece, n - first));
            T* piece = values + first;
            if (index_ == 0)
                MPI_Reduce(MPI_IN_PLACE, piece, count, type, MPI_SUM, 0, MPI_COMM_WORLD);
            else
                MPI_Reduce(piece, nullptr, count, type, MPI_SUM, 0, MPI_COMM_WORLD);
            MPI_Bcast(piece, count, type, 0, MPI_COMM_WORLD);
        }
    }

    int index_ = 0, count_ = 1, onThisMachine_ = 1;
};

}  // namespace

std::unique_ptr<Ranks> joinMpiRanks(int& argc, char**& argv)
{
    return launchedByMpi() ? std::make_unique<MpiRanks>(argc, argv) : nullptr;
}

}  // namespace vexora
