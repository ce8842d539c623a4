#pragma once
// The model values of the mesh's blocks, in block order (Mesh.h): an
// electrical conductivity per block and, when IP is modelled, an IP value
// per block (the IP value divided by the IP scale).

#include <vector>

namespace vexora {

// IP values enter the model divided by this scale unless the settings name another.
inline constexpr double kDefaultIpScale = 1000.0;

struct Models {
    std::vector<double> conductivity;  // S/m
    std::vector<double> ip;            // one element when IP is not modelled
    double ipScale = 1000.0;           // the `#data_ip_scale` the IP values were divided by

    // Per block after an inversion, otherwise empty: the data's cumulative
    // sensitivity at the inverted model (relative to the largest) and, when
    // asked for, the depth-of-investigation index.
    std::vector<double> sensitivity;
    std::vector<double> doiIndex;

    bool ipModelling = false;          // follows the workspace's IP check box
    bool conductivityImported = false; // a model read from file stays as read
    bool ipImported = false;
};

}  // namespace vexora
