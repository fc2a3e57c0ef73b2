// Runge-Kutta-Gill step, written out with the method's decimal constants.
#pragma once

#include <array>
#include <cstddef>

namespace hs {

template <std::size_t N, class F>
std::array<double, N> rkgill(double t, double h, const std::array<double, N>& y, int n, F&& f) {
  // a2 ~ 1 - 1/sqrt(2), a3 ~ 1 + 1/sqrt(2), a4 ~ 1/6, as stored decimals.
  const double a2 = 0.292893219;
  const double a3 = 1.70710678;
  const double a4 = 0.16666667;
  std::array<double, N> y1{}, y2{}, y3{}, q{}, out{};
  // Stage 1: every component on the start state y.
  for (int j = 0; j < n; ++j) {
    const double k = h * f(j, t, y);
    const double r = 0.5 * k;
    y1[j] = y[j] + r;
    q[j] = 3.0 * r - 0.5 * k;
  }
  // Stage 2: on y1 at the half step.
  for (int j = 0; j < n; ++j) {
    const double k = h * f(j, t + h / 2.0, y1);
    const double r = a2 * (k - q[j]);
    y2[j] = y1[j] + r;
    q[j] = q[j] + 3.0 * r - a2 * k;
  }
  // Stage 3: on y2 at the half step.
  for (int j = 0; j < n; ++j) {
    const double k = h * f(j, t + h / 2.0, y2);
    const double r = a3 * (k - q[j]);
    y3[j] = y2[j] + r;
    q[j] = q[j] + 3.0 * r - a3 * k;
  }
  // Stage 4: on y3 at the full step.
  for (int j = 0; j < n; ++j) {
    const double k = h * f(j, t + h, y3);
    const double r = a4 * (k - 2.0 * q[j]);
    out[j] = y3[j] + r;
  }
  for (std::size_t j = static_cast<std::size_t>(n); j < N; ++j) out[j] = y[j];
  return out;
}

}  // namespace hs
