#pragma once
// The misfit of an inversion as its job log tells it. The inversion logs
// one line per accepted iteration,
//
//   Iteration 0: RMS 37.87 %, chi2 52.098
//   Iteration 2: roughness 1, RMS 4.58 %, chi2 0.475 (data reweighted: chi2 1.210 before the step), ...
//   IP iteration 1: roughness 10, RMS 2.1 mV/V, chi2 1.2, ...
//
// and its final misfit, unweighted and weighted. The chi2 of an iteration
// is the one its data weights give (with the robust factors when the
// inversion is robust). The depth-of-investigation runs that may follow
// the final line log iterations of their own: they are not the result's
// and are left out.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

struct IterationMisfit {
    int iteration = 0;
    double rms = 0;   // % of the data (resistivity) or in the IP unit
    double chi2 = 0;  // with the iteration's data weights
    std::optional<double> chi2BeforeStep;  // the reweighted misfit the step started from
    bool operator==(const IterationMisfit&) const = default;
};

struct FinalMisfit {
    double unweightedRms = 0, unweightedChi2 = 0;
    double weightedChi2 = 0;
    bool operator==(const FinalMisfit&) const = default;
};

struct JobLogMisfits {
    std::vector<IterationMisfit> resistivity, ip;
    std::string ipUnit;  // as logged: "mV/V", "%", ...
    std::optional<FinalMisfit> resistivityFinal, ipFinal;
    bool robustWeights = false;  // the iterations' chi2 carry robust factors
};

// The misfits of a job log's text (CR LF or LF line ends; each line's time
// stamp, up to its tab, is optional). Lines that do not match are skipped.
JobLogMisfits parseJobLogMisfits(std::string_view text);

// The message of the log's last non-empty line, without its time stamp.
std::string lastLogMessage(std::string_view text);

}  // namespace vexora
