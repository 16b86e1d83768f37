// Measurements of a converted take, worked out here from their definitions
// so that they do not share code with what they measure: a radix-2 FFT with
// a Hann window, the frequency of a spectrum's peak, and the fit of a sine
// whose residual gives THD+N.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

namespace tp::test {

// Magnitudes of the first N/2 bins of the Hann-windowed FFT of
// samples[first, first + N); N a power of two.
inline std::vector<double> HannSpectrum(const std::vector<int16_t>& samples, size_t first, size_t n) {
  std::vector<std::complex<double>> x(n);
  for (size_t i = 0; i < n; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(n));
    x[i] = double(samples[first + i]) * window;
  }
  // Iterative Cooley-Tukey: bit-reversed order, then butterflies.
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (size_t length = 2; length <= n; length <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi / double(length));
    for (size_t start = 0; start < n; start += length) {
      std::complex<double> w = 1.0;
      for (size_t k = 0; k < length / 2; ++k) {
        const auto even = x[start + k], odd = x[start + k + length / 2] * w;
        x[start + k] = even + odd;
        x[start + k + length / 2] = even - odd;
        w *= step;
      }
    }
  }
  std::vector<double> magnitudes(n / 2);
  for (size_t k = 0; k < n / 2; ++k) magnitudes[k] = std::abs(x[k]);
  return magnitudes;
}

// The bin magnitude a sine of `amplitude` gives at its own frequency under
// a Hann window of n points: amplitude x n / 4.
inline double HannSineMagnitude(double amplitude, size_t n) { return amplitude * double(n) / 4.0; }

// The peak's frequency in Hz, between bins by a parabola through the
// logarithms of the three bins around it (exact for a Gaussian, within a
// small part of a bin for Hann).
inline double PeakFrequency(const std::vector<double>& magnitudes, double binHz) {
  const size_t k = size_t(std::max_element(magnitudes.begin() + 1, magnitudes.end() - 1) - magnitudes.begin());
  const double a = std::log(magnitudes[k - 1]), b = std::log(magnitudes[k]), c = std::log(magnitudes[k + 1]);
  return (double(k) + 0.5 * (a - c) / (a - 2.0 * b + c)) * binHz;
}

struct SineFit {
  double frequency = 0;      // Hz
  double amplitude = 0;
  double residualRms = 0;    // everything that is not the sine: harmonics, noise
  double ThdPlusNoiseDb() const { return 20.0 * std::log10(residualRms / (amplitude / std::sqrt(2.0))); }
};

// Least squares of x[n] = a cos(wn) + b sin(wn) + c over samples[first,
// last) at the frequency `hz`; returns the residual's energy.
inline SineFit FitSineAt(const std::vector<int16_t>& samples, size_t first, size_t last, double rate, double hz) {
  const double w = 2.0 * std::numbers::pi * hz / rate;
  // Normal equations for (a, b, c).
  double m[3][4] = {};
  for (size_t n = first; n < last; ++n) {
    const double basis[3] = {std::cos(w * double(n)), std::sin(w * double(n)), 1.0};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m[i][j] += basis[i] * basis[j];
      m[i][3] += basis[i] * double(samples[n]);
    }
  }
  for (int i = 0; i < 3; ++i)
    for (int r = i + 1; r < 3; ++r) {
      const double f = m[r][i] / m[i][i];
      for (int j = i; j < 4; ++j) m[r][j] -= f * m[i][j];
    }
  double coefficient[3];
  for (int i = 2; i >= 0; --i) {
    double sum = m[i][3];
    for (int j = i + 1; j < 3; ++j) sum -= m[i][j] * coefficient[j];
    coefficient[i] = sum / m[i][i];
  }
  double residual = 0;
  for (size_t n = first; n < last; ++n) {
    const double fitted =
        coefficient[0] * std::cos(w * double(n)) + coefficient[1] * std::sin(w * double(n)) + coefficient[2];
    residual += (double(samples[n]) - fitted) * (double(samples[n]) - fitted);
  }
  return {hz, std::hypot(coefficient[0], coefficient[1]), std::sqrt(residual / double(last - first))};
}

// The sine that fits best, its frequency found by a golden-section search
// within `span` Hz of `guess`.
inline SineFit FitSine(const std::vector<int16_t>& samples, size_t first, size_t last, double rate, double guess,
                       double span = 1.0) {
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double low = guess - span, high = guess + span;
  for (int i = 0; i < 40; ++i) {
    const double left = high - ratio * (high - low), right = low + ratio * (high - low);
    const double leftResidual = FitSineAt(samples, first, last, rate, left).residualRms;
    if (leftResidual < FitSineAt(samples, first, last, rate, right).residualRms)
      high = right;
    else
      low = left;
  }
  return FitSineAt(samples, first, last, rate, (low + high) / 2.0);
}

}  // namespace tp::test
