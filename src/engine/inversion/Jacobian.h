#pragma once
// The sensitivity matrix J (data x model parameters), J_ij = d f_i / d m_j,
// stored row by row in single precision: it is the largest object of an
// inversion, and its entries carry far less accuracy than a float holds.
//
// The products take k vectors at once, one after the other (element c of
// vector t at t * n + c): each pass over J serves all of them, and passes
// over J are what an inversion's update costs. Results do not depend on the
// thread count.

#include <cstddef>
#include <memory>
#include <utility>
#include <span>
#include <vector>

namespace vexora {

// Memory for J: gigabytes are taken in huge pages where the system offers
// them, so that filling J faults a page per 2 MB rather than per 4 KB and
// the passes over it miss the address cache far less.
void* allocateLarge(std::size_t bytes);
void freeLarge(void* p, std::size_t bytes);

// An allocator whose resize leaves new floats as they come (J is filled
// entry by entry by its assembly, and zeroing gigabytes first would cost
// seconds on one thread before the threads touch the pages themselves),
// drawing its memory from allocateLarge.
template <class T>
struct UninitialisedAllocator {
    using value_type = T;
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n) { return static_cast<T*>(allocateLarge(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { freeLarge(p, n * sizeof(T)); }
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U>
    bool operator==(const UninitialisedAllocator<U>&) const noexcept
    {
        return true;
    }
};

struct Jacobian {
    using Values = std::vector<float, UninitialisedAllocator<float>>;
    std::size_t rows = 0, cols = 0;
    Values values;  // rows * cols, row-major

    std::span<float> row(std::size_t i) { return {values.data() + i * cols, cols}; }
    std::span<const float> row(std::size_t i) const { return {values.data() + i * cols, cols}; }
};

// Y = J X for k vectors (X: k * cols, Y: k * rows).
void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y, std::size_t k = 1, int threads = 1);
// X = J^T Y for k vectors.
void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x, std::size_t k = 1,
                        int threads = 1);
// Y = J^T D J X for k vectors, D = diag(d): two passes over J, J X and then
// J^T of the scaled result, which keeps the vectors in cache.
void multiplyNormal(const Jacobian& j, std::span<const double> d, std::span<const double> x, std::span<double> y,
                    std::size_t k = 1, int threads = 1);
// out_c = sum_i w_i J_ic^2, the diagonal of J^T diag(w) J, in one pass.
void weightedColumnSquares(const Jacobian& j, std::span<const double> w, std::span<double> out, int threads = 1);

}  // namespace vexora
