#pragma once

#include "archive/interval_data.h"
#include "health/health_parameters.h"
#include "health/health_snapshot.h"

namespace sorvane::app {

// The health parameters as the boxes of "Det Health Param" hold them: their texts (the health
// ledger records them) and the snapshot the health test computes with, taken of them once.
struct HealthParameterChoice {
    HealthParameterTexts texts;
    modBaddet::HealthSnapshot snapshot;
};

// The choices that one tab shows and others read, asked for when they are needed: the main
// window answers from the tab that shows each.
class TabChoices {
  public:
    // "Missing Data Options" of "Plot vol/occ": the plots and the export read it.
    virtual MissingOption missing() const = 0;
    // The boxes of "Det Health Param": the health test and the history window read them.
    // Throws modBaddet::HealthParameterError for a box that does not hold a usable number.
    virtual HealthParameterChoice healthParameters() const = 0;

  protected:
    ~TabChoices() = default;
};

}  // namespace sorvane::app
