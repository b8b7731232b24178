#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "health/health_classify.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"

namespace sorvane::modBaddet {

// The parameters each detector of a run is tested with: the run's own ([Param]), or another set
// such as those of the detector's lane type. A table by detector number makes the choice one
// look-up per detector, however many sets there are.
class DetectorParameters {
  public:
    // A set of parameters other than the run's own, and the name the report gives it.
    struct OtherSet {
        std::string name;
        HealthParameterTexts texts;
        HealthSnapshot snapshot;
    };

    // Every detector is tested with `base`.
    explicit DetectorParameters(const HealthSnapshot& base);

    // Tests `dets` with `set` from now on. A set whose values are the run's own is no other set:
    // its detectors keep `base`. The excluded range is always the run's own.
    void assign(OtherSet set, std::span<const int16_t> dets);

    const HealthSnapshot& base() const { return base_; }
    bool hasOtherSets() const { return !others_.empty(); }
    const std::vector<OtherSet>& otherSets() const { return others_; }

    // The set a detector is tested with: 0 for the base, k for otherSets()[k - 1].
    size_t setOf(int16_t det) const { return choice_[slotOf(det)]; }
    const HealthSnapshot& of(int16_t det) const {
        size_t set = setOf(det);
        return set == 0 ? base_ : others_[set - 1].snapshot;
    }

  private:
    static size_t slotOf(int16_t det) { return static_cast<size_t>(det + 32768); }

    HealthSnapshot base_;
    std::vector<OtherSet> others_;
    std::vector<uint8_t> choice_;  // by detector number + 32768
};

// The block that ends a report when some detector was tested with another set: each set with its
// number of detectors (visited and not excluded) and its ten values, then the number tested with
// [Param]; CR LF line ends. Empty when no detector was tested with another set.
std::string ParametersBlock(const DetectorParameters& parameters,
                            std::span<const DetectorOutcome> outcomes);

}  // namespace sorvane::modBaddet
