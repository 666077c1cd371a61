#include "effect/shared_transforms.h"

#include <atomic>
#include <cmath>
#include <new>

namespace pitch {

namespace {

// Defined before the owner below so that it outlives it at unload.
std::mutex plannerLock;
std::atomic<SharedTransforms*> sharedInstance{nullptr};

// Destroys the plans when the library is unloaded, so repeated loading and
// unloading by a host does not pile them up. No engine may exist by then.
// With a private copy of the FFT library its planner's own caches go too;
// a shared copy may hold other users' plans and is left as it is.
struct SharedTransformsOwner {
    ~SharedTransformsOwner() {
        std::lock_guard<std::mutex> lock(plannerLock);
        delete sharedInstance.exchange(nullptr);
#if CORVANE_PRIVATE_FFT
        fftwf_cleanup();
#endif
    }
} sharedTransformsOwner;

}  // namespace

std::mutex& SharedTransforms::plannerMutex() noexcept { return plannerLock; }

const SharedTransforms* SharedTransforms::acquire() noexcept {
    if (SharedTransforms* ready = sharedInstance.load(std::memory_order_acquire))
        return ready;
    std::lock_guard<std::mutex> lock(plannerMutex());
    if (SharedTransforms* ready = sharedInstance.load(std::memory_order_relaxed))
        return ready;
    auto* built = new (std::nothrow) SharedTransforms();
    if (built == nullptr)
        return nullptr;
    if (!built->build()) {
        delete built;
        return nullptr;
    }
    sharedInstance.store(built, std::memory_order_release);
    return built;
}

bool SharedTransforms::build() noexcept {
    for (int32_t i = 0; i < frameSize; ++i)
        hannWindow[i] = static_cast<float>(
            0.5 - 0.5 * std::cos(static_cast<double>(i) * twoPi * (1.0 / frameSize)));
    for (int32_t k = 0; k < paddedBins; ++k)
        binAdvance[k] = k < binCount ? static_cast<double>(k) * expectedAdvance : 0.0;

    // Planning with flags 0 measures candidate algorithms on the arrays it is
    // given and overwrites them, so it works on a scratch buffer of its own;
    // the engines later run the plans on their own buffers.
    auto* scratch = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * frameSize));
    if (scratch == nullptr)
        return false;
    // Measured planning may pick a buffered algorithm, which allocates scratch
    // memory on every execution; the audio path allocates nothing, so such
    // algorithms are ruled out. Everything else is measured as usual.
    constexpr unsigned planFlags = FFTW_MEASURE | FFTW_NO_BUFFERING;
    forwardPlan = fftwf_plan_dft_1d(frameSize, scratch, scratch, FFTW_FORWARD, planFlags);
    backwardPlan = fftwf_plan_dft_1d(frameSize, scratch, scratch, FFTW_BACKWARD, planFlags);
    const bool planned = forwardPlan != nullptr && backwardPlan != nullptr;
    // New-array execution needs buffers aligned like the planning buffer.
    const bool alignedLikeEngines = fftwf_alignment_of(reinterpret_cast<float*>(scratch)) == 0;
    fftwf_free(scratch);
    return planned && alignedLikeEngines;
}

// Always runs with plannerMutex held.
SharedTransforms::~SharedTransforms() {
    if (forwardPlan != nullptr)
        fftwf_destroy_plan(forwardPlan);
    if (backwardPlan != nullptr)
        fftwf_destroy_plan(backwardPlan);
}

}  // namespace pitch
