#include "analysis/least_squares.h"

#include <cmath>

namespace odecet {

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__gnu_linux__) && \
    !defined(__SANITIZE_THREAD__)
// Wider vectors (AVX2, FMA) where the processor has them, chosen once as the program loads; the
// package itself is built for every x86-64. (ThreadSanitizer's runtime is not up yet when the
// choice is made.)
#define ODECET_WIDEST_VECTORS __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define ODECET_WIDEST_VECTORS
#endif

namespace {

// Σ u[i]·w[i] as four independent sums over the quarters of the range, so that the adds of
// one do not wait on those of another.
ODECET_WIDEST_VECTORS
double Dot(const double* u, const double* w, std::ptrdiff_t length) {
  const std::ptrdiff_t quarter = length / 4;
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
#pragma omp simd reduction(+ : s0, s1, s2, s3)
  for (std::ptrdiff_t i = 0; i < quarter; ++i) {
    s0 += u[i] * w[i];
    s1 += u[quarter + i] * w[quarter + i];
    s2 += u[2 * quarter + i] * w[2 * quarter + i];
    s3 += u[3 * quarter + i] * w[3 * quarter + i];
  }
  for (std::ptrdiff_t i = 4 * quarter; i < length; ++i)
    s0 += u[i] * w[i];
  return (s0 + s1) + (s2 + s3);
}

}  // namespace

ODECET_WIDEST_VECTORS
void SolveLeastSquaresInPlace(double* a, std::ptrdiff_t rows, std::ptrdiff_t cols, double* x) {
  for (std::ptrdiff_t j = 0; j < cols; ++j) {
    double* v = a + j * rows + j;
    const std::ptrdiff_t length = rows - j;
    const double squaredNorm = Dot(v, v, length);
    if (squaredNorm == 0.0)
      continue;  // a zero column: nothing to reflect, and its pivot stays 0
    const double norm = std::sqrt(squaredNorm);
    const double diagonal = v[0] > 0.0 ? -norm : norm;
    // |v − diagonal·e1|² = 2‖v‖² − 2·diagonal·v[0], both terms of one sign
    const double scale = 1.0 / (squaredNorm - diagonal * v[0]);
    v[0] -= diagonal;
    for (std::ptrdiff_t k = j + 1; k <= cols; k += 4) {
      double* c0 = a + k * rows + j;
      double* c1 = c0 + rows;
      double* c2 = c1 + rows;
      double* c3 = c2 + rows;
      double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
#pragma omp simd reduction(+ : s0, s1, s2, s3)
      for (std::ptrdiff_t i = 0; i < length; ++i) {
        s0 += v[i] * c0[i];
        s1 += v[i] * c1[i];
        s2 += v[i] * c2[i];
        s3 += v[i] * c3[i];
      }
      s0 *= scale;
      s1 *= scale;
      s2 *= scale;
      s3 *= scale;
#pragma omp simd
      for (std::ptrdiff_t i = 0; i < length; ++i) {
        c0[i] -= s0 * v[i];
        c1[i] -= s1 * v[i];
        c2[i] -= s2 * v[i];
        c3[i] -= s3 * v[i];
      }
    }
    v[0] = diagonal;
  }
  // Back substitution; a column that depends exactly on the ones before gets 0.
  const double* b = a + cols * rows;
  for (std::ptrdiff_t j = cols - 1; j >= 0; --j) {
    double sum = b[j];
    for (std::ptrdiff_t k = j + 1; k < cols; ++k)
      sum -= a[k * rows + j] * x[k];
    const double pivot = a[j * rows + j];
    x[j] = pivot != 0.0 ? sum / pivot : 0.0;
  }
}

}  // namespace odecet
