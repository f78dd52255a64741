#pragma once

#include <cstddef>

namespace odecet {

// Least squares min ‖A·x − b‖ by Householder QR, in place on a column-major matrix of `rows` rows:
// columns 0..cols-1 are the unknowns' and column `cols` the right-hand side; three more columns
// after it must be there and hold zeros (they stay zero). The solution goes to `x`.
//
// The arithmetic of Eigen's HouseholderQR, written as plain loops: for these tall, narrow
// matrices (122 × 19 for a 61-point spectrum), solved many times a spectrum, Eigen's
// general kernels spend more time dispatching than computing. Here each reflection goes to
// four columns at once (the zero columns make up the last four), and the compiler uses the
// widest vectors of the machine.
void SolveLeastSquaresInPlace(double* a, std::ptrdiff_t rows, std::ptrdiff_t cols, double* x);

}  // namespace odecet
