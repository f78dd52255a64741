// BioLogic EC-Lab binary files (.mpr). BioLogic does not describe the format; what follows was
// read off EC-Lab's own files, each beside the .mpt text EC-Lab exported from it:
//
//   "BIO-LOGIC MODULAR FILE\x1A", blanks, four zero bytes          (52 bytes)
//   then modules one after another, each:
//     "MODULE", a short name of 10 bytes ("VMP data  "), a long name of 25 bytes,
//     before EC-Lab 11.50: length (u32), version (u32), date (8 bytes)          -> 57 bytes
//     from EC-Lab 11.50 on: FF FF FF FF, length (u32), 4 bytes, version (u32), date -> 65 bytes
//     then `length` bytes of the module's own data.
//
// The data module ("VMP data") holds the number of rows (u32), the number of columns (one byte
// before 11.50, u16 after) and one u16 id per column, all little-endian; the rows, each the
// columns' values in that order, fill the module's end. Numbers are little-endian IEEE floats,
// doubles or unsigned integers, by the column's id. The ids differ between versions and the
// columns' order varies with the technique, so every offset comes from the list of ids, and an
// id not known here stops the read rather than let its width be guessed.

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

namespace odecet {

namespace {

constexpr std::string_view kMagic = "BIO-LOGIC MODULAR FILE\x1A";
constexpr std::size_t kFileHeaderBytes = 52;
constexpr std::string_view kModuleTag = "MODULE";
constexpr std::size_t kShortNameBytes = 10;
constexpr std::size_t kNamesEnd = 6 + kShortNameBytes + 25;
constexpr std::size_t kOldHeaderBytes = kNamesEnd + 4 + 4 + 8;
constexpr std::size_t kNewHeaderBytes = kNamesEnd + 4 + 4 + 4 + 4 + 8;

enum class Value : std::uint8_t { kFloat, kDouble, kU16, kU32 };

constexpr std::size_t WidthOf(Value value) {
  switch (value) {
    case Value::kFloat:
    case Value::kU32:
      return 4;
    case Value::kDouble:
      return 8;
    case Value::kU16:
      return 2;
  }
  return 0;
}

// Ids from `first` to `last` alike.
struct ColumnId {
  std::uint16_t first;
  std::uint16_t last;
  Value value;
};

// The ids of the columns that EC-Lab's impedance techniques write, each checked against the
// .mpt that EC-Lab exported from the same file. The names are the .mpt's.
constexpr std::array kColumnIds = {
    ColumnId{4, 4, Value::kDouble},     // time/s
    ColumnId{13, 13, Value::kDouble},   // (Q-Qo)/mA.h
    ColumnId{16, 16, Value::kFloat},    // Analog IN 1/V
    ColumnId{17, 17, Value::kFloat},    // Analog IN 2/V
    ColumnId{24, 24, Value::kDouble},   // cycle number
    ColumnId{32, 32, Value::kFloat},    // freq/Hz
    ColumnId{33, 33, Value::kFloat},    // |Ewe|/V
    ColumnId{34, 34, Value::kFloat},    // |I|/A
    ColumnId{35, 35, Value::kFloat},    // Phase(Z)/deg
    ColumnId{36, 36, Value::kFloat},    // |Z|/Ohm
    ColumnId{37, 37, Value::kFloat},    // Re(Z)/Ohm
    ColumnId{38, 38, Value::kFloat},    // -Im(Z)/Ohm
    ColumnId{39, 39, Value::kU16},      // I Range
    ColumnId{70, 70, Value::kFloat},    // Pwe/W
    ColumnId{76, 76, Value::kFloat},    // <I>/mA
    ColumnId{77, 77, Value::kFloat},    // <Ewe>/V
    ColumnId{96, 96, Value::kFloat},    // |Ece|/V
    ColumnId{98, 98, Value::kFloat},    // Phase(Zce)/deg
    ColumnId{99, 99, Value::kFloat},    // |Zce|/Ohm
    ColumnId{100, 100, Value::kFloat},  // Re(Zce)/Ohm
    ColumnId{101, 101, Value::kFloat},  // -Im(Zce)/Ohm
    ColumnId{131, 131, Value::kU16},    // Ns
    ColumnId{169, 169, Value::kFloat},  // Cs/µF
    ColumnId{172, 172, Value::kFloat},  // Cp/µF
    ColumnId{430, 430, Value::kFloat},  // Phase(Zwe-ce)/deg
    ColumnId{431, 431, Value::kFloat},  // |Zwe-ce|/Ohm
    ColumnId{432, 432, Value::kFloat},  // Re(Zwe-ce)/Ohm
    ColumnId{433, 433, Value::kFloat},  // -Im(Zwe-ce)/Ohm
    ColumnId{471, 471, Value::kFloat},  // <Ece>/V
    ColumnId{473, 473, Value::kFloat},  // THD Ewe/%
    ColumnId{474, 474, Value::kFloat},  // THD I/%
    ColumnId{476, 476, Value::kFloat},  // NSD Ewe/%
    ColumnId{477, 477, Value::kFloat},  // NSD I/%
    ColumnId{479, 479, Value::kFloat},  // NSR Ewe/%
    ColumnId{480, 480, Value::kFloat},  // NSR I/%
    ColumnId{486, 491, Value::kFloat},  // |Ewe h2|/V ... |Ewe h7|/V
    ColumnId{492, 497, Value::kFloat},  // |I h2|/A ... |I h7|/A
};

constexpr std::uint16_t kFrequencyId = 32;
constexpr std::uint16_t kRealId = 37;
constexpr std::uint16_t kMinusImaginaryId = 38;
constexpr std::uint16_t kCycleId = 24;

std::optional<Value> ValueOf(std::uint16_t id) {
  const auto found = std::find_if(
      kColumnIds.begin(), kColumnIds.end(),
      [id](const ColumnId& column) { return column.first <= id && id <= column.last; });
  if (found == kColumnIds.end())
    return std::nullopt;
  return found->value;
}

// Reads little-endian numbers from the file's bytes, every offset checked against its size.
class Bytes {
 public:
  Bytes(std::string_view bytes, std::string_view fileName) : bytes_(bytes), fileName_(fileName) {}

  std::size_t size() const { return bytes_.size(); }
  std::string_view At(std::size_t offset, std::size_t count) const {
    Need(offset, count);
    return bytes_.substr(offset, count);
  }
  std::uint32_t U8(std::size_t offset) const { return Unsigned(offset, 1); }
  std::uint32_t U16(std::size_t offset) const { return Unsigned(offset, 2); }
  std::uint32_t U32(std::size_t offset) const { return Unsigned(offset, 4); }
  double Number(std::size_t offset, Value value) const;

  [[noreturn]] void Fail(std::size_t offset, const std::string& what) const {
    throw StepFileError(FilePlace(fileName_) + " (BioLogic EC-Lab .mpr), posun " +
                        std::to_string(offset) + ": " + what);
  }

 private:
  void Need(std::size_t offset, std::size_t count) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset) {
      Fail(offset, "soubor končí dřív, než má (potřebuje " + std::to_string(count) +
                       " bajtů, zbývá " +
                       std::to_string(offset > bytes_.size() ? 0 : bytes_.size() - offset) +
                       "); je useknutý nebo poškozený.");
    }
  }
  std::uint32_t Unsigned(std::size_t offset, std::size_t count) const {
    Need(offset, count);
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;)
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    return value;
  }

  std::string_view bytes_;
  std::string_view fileName_;
};

// A float as EC-Lab writes it into the .mpt, with 8 significant digits, then as a double: the
// number the lab sees (12.753284, not 12.753284454345703), so an .mpr gives exactly the points
// of its .mpt and the same report. EC-Lab rounds a tie away from zero (136598.125 is
// 1.3659813E+005), where the C++ library would round it to even, so the digits are rounded here
// from the float's exact expansion, which 120 digits hold whole.
double FromFloat(float value) {
  if (!std::isfinite(value) || value == 0.0f)
    return value;
  char exact[160];
  const auto end = std::to_chars(exact, exact + sizeof exact, static_cast<double>(value),
                                 std::chars_format::scientific, 120)
                       .ptr;
  const std::string_view text(exact, static_cast<std::size_t>(end - exact));
  const bool negative = text.front() == '-';
  const std::size_t first = negative ? 1 : 0;
  std::string digits;  // the 9 leading digits
  for (std::size_t i = first; i < text.size() && text[i] != 'e' && digits.size() < 9; ++i) {
    if (text[i] != '.')
      digits += text[i];
  }
  int exponent = 0;
  const std::size_t e = text.find('e');
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                  exponent);
  const bool up = digits.size() == 9 && digits[8] >= '5';
  digits.resize(8);
  if (up) {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
      digits[--i] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    } else {
      ++digits[i - 1];
    }
  }
  const std::string rounded = std::string(negative ? "-" : "") + digits.front() + '.' +
                              digits.substr(1) + 'e' + std::to_string(exponent);
  double wide = value;
  std::from_chars(rounded.data(), rounded.data() + rounded.size(), wide);
  return wide;
}

double Bytes::Number(std::size_t offset, Value value) const {
  switch (value) {
    case Value::kFloat: {
      const std::uint32_t bits = U32(offset);
      return FromFloat(std::bit_cast<float>(bits));
    }
    case Value::kDouble: {
      const std::uint64_t bits = U32(offset) | (static_cast<std::uint64_t>(U32(offset + 4)) << 32);
      return std::bit_cast<double>(bits);
    }
    case Value::kU16:
      return U16(offset);
    case Value::kU32:
      return U32(offset);
  }
  return 0.0;
}

struct Module {
  std::size_t data = 0;    // where its own data starts
  std::size_t length = 0;  // its own data's length
  bool newLayout = false;
};

// The module named `shortName`, walking the modules from the file's header on.
std::optional<Module> FindModule(const Bytes& file, std::string_view shortName) {
  std::size_t at = kFileHeaderBytes;
  while (at < file.size()) {
    if (file.At(at, kModuleTag.size()) != kModuleTag)
      file.Fail(at, "zde má začínat modul („MODULE“); soubor je poškozený.");
    Module module;
    module.newLayout = file.U32(at + kNamesEnd) == 0xFFFFFFFF;
    module.length = file.U32(at + kNamesEnd + (module.newLayout ? 4 : 0));
    module.data = at + (module.newLayout ? kNewHeaderBytes : kOldHeaderBytes);
    file.At(module.data, module.length);  // the whole module lies inside the file
    std::string_view name = file.At(at + kModuleTag.size(), kShortNameBytes);
    name = name.substr(0, name.find_last_not_of(' ') + 1);
    if (name == shortName)
      return module;
    at = module.data + module.length;
  }
  return std::nullopt;
}

struct DataColumn {
  std::uint16_t id = 0;
  Value value = Value::kFloat;
  std::size_t offset = 0;  // within a row
};

}  // namespace

bool IsBioLogicMpr(std::string_view start) {
  return start.starts_with(kMagic);
}

SpectrumSweeps ReadBioLogicMpr(std::string_view bytes, std::string_view fileName) {
  const Bytes file(bytes, fileName);
  if (!IsBioLogicMpr(bytes) || bytes.size() < kFileHeaderBytes)
    file.Fail(0, "soubor nezačíná záhlavím „BIO-LOGIC MODULAR FILE“.");
  const std::optional<Module> data = FindModule(file, "VMP data");
  if (!data) {
    throw StepFileError(FilePlace(fileName) +
                        " (BioLogic EC-Lab .mpr) neobsahuje modul s daty („VMP data“).");
  }
  const std::size_t end = data->data + data->length;
  const std::size_t rows = file.U32(data->data);
  const std::size_t columnCount =
      data->newLayout ? file.U16(data->data + 4) : file.U8(data->data + 4);
  const std::size_t idsAt = data->data + (data->newLayout ? 6 : 5);
  const std::size_t idsEnd = idsAt + 2 * columnCount;
  if (idsEnd > end)
    file.Fail(idsAt, "seznam sloupců přesahuje modul s daty; soubor je poškozený.");

  // An impedance measurement first, so that another technique's file is named as such rather
  // than by a column of its own that the program does not know.
  const auto hasId = [&](std::uint16_t wanted) {
    for (std::size_t i = 0; i < columnCount; ++i) {
      if (file.U16(idsAt + 2 * i) == wanted)
        return true;
    }
    return false;
  };
  if (!hasId(kFrequencyId) || !hasId(kRealId) || !hasId(kMinusImaginaryId)) {
    throw StepFileError(FilePlace(fileName) +
                        " (BioLogic EC-Lab .mpr) nemá sloupce „freq/Hz“, „Re(Z)/Ohm“ a "
                        "„-Im(Z)/Ohm“; není to měření impedance (PEIS, GEIS).");
  }
  std::size_t rowBytes = 0;
  std::optional<DataColumn> f, re, minusIm, cycle;
  for (std::size_t i = 0; i < columnCount; ++i) {
    const auto id = static_cast<std::uint16_t>(file.U16(idsAt + 2 * i));
    const std::optional<Value> value = ValueOf(id);
    if (!value) {
      file.Fail(idsAt + 2 * i,
                "sloupec s číslem " + std::to_string(id) +
                    " program nezná, a nezná tedy ani jeho šířku, takže by ostatní sloupce "
                    "četl ze špatného místa. Vyexportujte v EC-Lab soubor .mpt a načtěte ten.");
    }
    const DataColumn column{id, *value, rowBytes};
    rowBytes += WidthOf(*value);
    if (id == kFrequencyId && !f)
      f = column;
    else if (id == kRealId && !re)
      re = column;
    else if (id == kMinusImaginaryId && !minusIm)
      minusIm = column;
    else if (id == kCycleId && !cycle)
      cycle = column;
  }
  // The rows fill the module's end; what lies between the ids and the rows is padding.
  if (rowBytes == 0 || rows > (end - idsEnd) / rowBytes) {
    file.Fail(data->data, "modul s daty má podle záhlaví " + std::to_string(rows) + " řádků po " +
                              std::to_string(rowBytes) +
                              " bajtech, tolik se do něj nevejde; soubor je useknutý nebo "
                              "poškozený.");
  }
  const std::size_t first = end - rows * rowBytes;

  // A new cycle number or the first frequency met again starts a new sweep.
  SpectrumSweeps result;
  double lastCycle = 0.0;
  double firstFrequency = 0.0;
  std::size_t sweepRows = 0;
  const auto checkCount = [&](std::size_t rowAt) {
    if (sweepRows > static_cast<std::size_t>(MaxPoints)) {
      file.Fail(rowAt, "měření " + std::to_string(result.sweeps.size()) + " má " +
                           std::to_string(sweepRows) + " bodů, program zpracuje nejvýše " +
                           std::to_string(MaxPoints) + " bodů.");
    }
  };
  bool breakPending = false;
  for (std::size_t row = 0; row < rows; ++row) {
    const std::size_t at = first + row * rowBytes;
    SpectrumPoint point;
    point.f = file.Number(at + f->offset, f->value);
    point.re = file.Number(at + re->offset, re->value);
    point.im = -file.Number(at + minusIm->offset, minusIm->value);
    if (cycle) {
      const double value = file.Number(at + cycle->offset, cycle->value);
      if (row != 0 && value != lastCycle)
        breakPending = true;
      lastCycle = value;
    }
    if (point.f == 0.0) {
      ++result.zeroHertzRows;
      continue;
    }
    const bool restarts = !result.sweeps.empty() && point.f == firstFrequency;
    if (result.sweeps.empty() || breakPending || restarts) {
      if (result.sweeps.size() == kMaxSweeps)
        file.Fail(at, TooManySweepsText());
      if (result.sweeps.size() == 1)
        result.splitBy =
            breakPending ? "sloupec „cycle number“" : "kmitočet se vrací na první hodnotu";
      result.sweeps.emplace_back();
      firstFrequency = point.f;
      breakPending = false;
      sweepRows = 0;
    }
    ++sweepRows;
    checkCount(at);
    result.sweeps.back().push_back(point);
  }
  if (result.sweeps.empty()) {
    throw StepFileError(FilePlace(fileName) +
                        " (BioLogic EC-Lab .mpr) neobsahuje žádný bod spektra.");
  }
  return result;
}

}  // namespace odecet
