#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace odecet {

// Base of every error the core reports. The message is Czech and tells the user what to fix.
class OdecetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that is not a number by the decimal rule.
class ConversionError : public OdecetError {
 public:
  ConversionError(std::string message, std::string text)
      : OdecetError(std::move(message)), text_(std::move(text)) {}
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// A step file that cannot be read or does not hold a whole spectrum.
class StepFileError : public OdecetError {
 public:
  using OdecetError::OdecetError;
};

// A file that holds several sweeps (cycles, tables, the frequency starting again) where one was
// wanted, or a choice of sweep that it does not hold. `sweeps` is how many it holds.
class SweepChoiceError : public StepFileError {
 public:
  SweepChoiceError(std::string message, std::size_t sweeps)
      : StepFileError(std::move(message)), sweeps_(sweeps) {}
  std::size_t sweeps() const { return sweeps_; }

 private:
  std::size_t sweeps_;
};

// A file that is neither a step file nor of a kind the program reads.
class UnknownFileKindError : public StepFileError {
 public:
  using StepFileError::StepFileError;
};

// A difference beyond the range of a double: no report can show it.
class DifferenceRangeError : public OdecetError {
 public:
  using OdecetError::OdecetError;
};

// A report that cannot be created or written. `reason` is why, as the message ends, for a
// caller that names the file in its own words.
class ReportWriteError : public OdecetError {
 public:
  explicit ReportWriteError(std::string message, std::string reason = {})
      : OdecetError(std::move(message)), reason_(std::move(reason)) {}
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

}  // namespace odecet
