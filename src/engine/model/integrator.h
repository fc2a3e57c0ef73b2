// One fourth-order Runge-Kutta-Gill step; the derivative is asked for one
// component at a time, f(j, t, y).
#pragma once

#include <array>

namespace hs {

template <std::size_t N, class F>
std::array<double, N> rkgill(double t, double h, const std::array<double, N>& y, int n, F&& f);

}  // namespace hs

#include "engine/model/integrator_impl.h"
