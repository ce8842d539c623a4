#include "engine/parallel/Ranks.h"

namespace vexora {

#ifdef VEXORA_HAVE_MPI
// MpiRanks.cpp: MPI's ranks, or nothing when no MPI launcher started us.
std::unique_ptr<Ranks> joinMpiRanks(int& argc, char**& argv);
#endif

namespace {

class OneProcess final : public Ranks {
public:
    int index() const override { return 0; }
    int count() const override { return 1; }
    int onThisMachine() const override { return 1; }
    void sum(std::span<double>) const override {}
    void sum(std::span<float>) const override {}
    int firstFlagged(bool flag) const override { return flag ? 0 : -1; }
    std::string broadcast(const std::string& text, int) const override { return text; }
};

}  // namespace

const Ranks& singleProcess()
{
    static const OneProcess one;
    return one;
}

std::unique_ptr<Ranks> joinRanks([[maybe_unused]] int& argc, [[maybe_unused]] char**& argv)
{
#ifdef VEXORA_HAVE_MPI
    if (std::unique_ptr<Ranks> mpi = joinMpiRanks(argc, argv)) return mpi;
#endif
    return std::make_unique<OneProcess>();
}

}  // namespace vexora
