#include "instruments/spectrum_file.h"

#include <memory>
#include <utility>

#include "instruments/file_kind.h"
#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "instruments/text_encoding.h"
#include "spectrum/errors.h"

namespace odecet {

namespace {

// An instrument file is read whole, so its size is bounded: a spectrum of 1000 points in any of
// these formats takes well under a megabyte.
constexpr std::size_t kMaxInstrumentFileBytes = std::size_t{64} << 20;

// Reads the start of a text to recognise its kind, then hands out the whole text again, start
// included, chunk by chunk. A step file thus streams as before: nothing but its first 64 KiB is
// held, and only until the step reader has taken them.
class StartOfText : public ChunkSource {
 public:
  explicit StartOfText(ChunkSource& inner) : inner_(inner) {
    while (start_.size() < kKindSniffBytes) {
      const std::string_view chunk = inner_.NextChunk();
      if (chunk.empty()) {
        atEnd_ = true;
        break;
      }
      if (start_.empty() && StartsWithCount(chunk, false)) {
        // The usual step file: its first chunk settles it, and is handed on uncopied.
        startView_ = rest_ = chunk;
        startGiven_ = true;
        return;
      }
      const std::size_t take = std::min(chunk.size(), kKindSniffBytes - start_.size());
      start_.append(chunk.substr(0, take));
      rest_ = chunk.substr(take);
      // A count settles it; a pipe that sends a step file slowly is not kept waiting.
      if (!rest_.empty() || StartsWithCount(start_, false))
        break;
    }
    startView_ = start_;
  }

  std::string_view start() const { return startView_; }

  std::string_view NextChunk() override {
    if (!startGiven_) {
      startGiven_ = true;
      if (!start_.empty())
        return start_;
    }
    if (!rest_.empty())
      return std::exchange(rest_, std::string_view());
    return atEnd_ ? std::string_view() : inner_.NextChunk();
  }

 private:
  ChunkSource& inner_;
  std::string start_;
  std::string_view startView_;  // start_, or the first chunk when that alone settles the kind
  std::string_view rest_;       // the part of the inner source's last chunk beyond the start
  bool atEnd_ = false;
  bool startGiven_ = false;
};

std::string ReadWhole(ChunkSource& source, std::string_view fileName) {
  std::string text;
  for (std::string_view chunk = source.NextChunk(); !chunk.empty(); chunk = source.NextChunk()) {
    if (chunk.size() > kMaxInstrumentFileBytes - text.size()) {
      throw StepFileError(FilePlace(fileName) + " je delší než " +
                          std::to_string(kMaxInstrumentFileBytes >> 20) +
                          " MiB; spektrum přístroje o nejvýše " + std::to_string(MaxPoints) +
                          " bodech bývá mnohem menší, proto jej program nečte.");
    }
    text.append(chunk);
  }
  return text;
}

// Whether the first word of a text that does not start with a count still starts as a number
// does ("12abc", "1,5", "+x"): a damaged step file, which the step file rules describe best.
// Nothing but white space is one too.
bool LooksLikeStepFile(std::string_view start) {
  if (start.starts_with("\xEF\xBB\xBF"))
    start.remove_prefix(3);
  const std::size_t first = start.find_first_not_of(" \t\n\v\f\r");
  if (first == std::string_view::npos)
    return true;
  const char c = start[first];
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ',';
}

std::string UnknownKindMessage(std::string_view fileName, const std::string& kind) {
  std::string message = FilePlace(fileName) +
                        " není soubor kroku (nezačíná počtem bodů) ani "
                        "soubor přístroje, který program zná";
  message += kind.empty() ? "." : "; " + kind + ".";
  message += " Program čte soubory kroků a tyto soubory: ";
  bool first = true;
  for (const SpectrumFormat& format : SpectrumFormats()) {
    if (format.kind == SpectrumFileKind::kReport)
      continue;
    message += (first ? "" : ", ") + std::string(format.label);
    first = false;
  }
  return message + ".";
}

}  // namespace

LoadedSweeps ReadSpectrumSweeps(ChunkSource& raw, char separator, std::string_view fileName,
                                SpectrumSources sources) {
  Utf8Source utf8(raw);
  StartOfText text(utf8);
  // A binary format is told by the bytes as they are, which a decoded text no longer is.
  const SpectrumFormat* format =
      RecognizeFormat(utf8.decodes() ? std::string_view() : text.start(), text.start());
  if (format == nullptr) {
    if (!StartsWithCount(text.start(), true)) {
      const std::string kind =
          UnknownKindOf(utf8.decodes() ? std::string_view() : text.start(), text.start());
      if (!kind.empty() || !LooksLikeStepFile(text.start()))
        throw UnknownFileKindError(UnknownKindMessage(fileName, kind));
    }
    LoadedSweeps loaded;
    loaded.sweeps.push_back(ReadStepFile(text, separator, fileName));
    return loaded;
  }
  if (format->kind == SpectrumFileKind::kReport && sources != SpectrumSources::kAlsoReports) {
    throw StepFileError(FilePlace(fileName) +
                        " je tabulka rozdílu, kterou zapsal tento program, ne naměřené spektrum; "
                        "načtěte soubor kroku nebo soubor z přístroje.");
  }
  const std::string bytes = ReadWhole(text, fileName);
  SpectrumSweeps read =
      format->binary ? format->read(bytes, fileName) : format->read(Latin1OrUtf8(bytes), fileName);
  LoadedSweeps loaded;
  loaded.kind = format->kind;
  loaded.zeroHertzRows = read.zeroHertzRows;
  loaded.splitBy = std::move(read.splitBy);
  loaded.sweepLines = std::move(read.sweepLines);
  for (std::vector<SpectrumPoint>& points : read.sweeps) {
    Spectrum file;
    file.count = static_cast<std::int32_t>(points.size());
    file.points = std::move(points);
    loaded.sweeps.push_back(std::move(file));
  }
  return loaded;
}

LoadedSpectrum ChooseSweep(LoadedSweeps sweeps, int sweep, std::string_view fileName) {
  const std::size_t count = sweeps.sweeps.size();
  LoadedSpectrum loaded;
  loaded.kind = sweeps.kind;
  loaded.sweeps = count;
  loaded.zeroHertzRows = sweeps.zeroHertzRows;
  if (count == 1) {
    loaded.spectrum = std::move(sweeps.sweeps.front());
    return loaded;
  }
  const auto wanted = static_cast<long long>(sweep);
  const auto total = static_cast<long long>(count);
  if (sweep == kNoSweepChosen) {
    std::string how = sweeps.splitBy;
    if (sweeps.sweepLines.size() > 1 && sweeps.sweepLines[1] != 0) {
      how += (how.empty() ? "" : "; ") + std::string("druhé začíná na řádku ") +
             std::to_string(sweeps.sweepLines[1]);
    }
    throw SweepChoiceError(
        FilePlace(fileName) + " obsahuje více měření (počet: " + std::to_string(count) +
            (how.empty() ? "" : "; " + how) + "). Program čte jen jedno spektrum.",
        count);
  }
  if (wanted > total || wanted < -total) {
    throw SweepChoiceError(FilePlace(fileName) + " obsahuje jen " + std::to_string(count) +
                               " měření, měření " + std::to_string(sweep) + " v něm není.",
                           count);
  }
  const std::size_t index = static_cast<std::size_t>(wanted > 0 ? wanted - 1 : total + wanted);
  loaded.sweep = index + 1;
  loaded.spectrum = std::move(sweeps.sweeps[index]);
  return loaded;
}

LoadedSpectrum ReadSpectrumSource(ChunkSource& raw, char separator, std::string_view fileName,
                                  SpectrumSources sources, int sweep) {
  return ChooseSweep(ReadSpectrumSweeps(raw, separator, fileName, sources), sweep, fileName);
}

LoadedSweeps LoadSpectrumSweeps(const std::string& path, char separator, SpectrumSources sources) {
  const std::unique_ptr<ChunkSource> source = OpenFileSource(path);
  return ReadSpectrumSweeps(*source, separator, path, sources);
}

LoadedSweeps ReadSpectrumDescriptorSweeps(int fd, char separator, const std::string& fileName,
                                          SpectrumSources sources) {
  const std::unique_ptr<ChunkSource> source = DescriptorSource(fd, fileName);
  return ReadSpectrumSweeps(*source, separator, fileName, sources);
}

LoadedSpectrum LoadSpectrum(const std::string& path, char separator, SpectrumSources sources,
                            int sweep) {
  const std::unique_ptr<ChunkSource> source = OpenFileSource(path);
  return ReadSpectrumSource(*source, separator, path, sources, sweep);
}

LoadedSpectrum ReadSpectrumDescriptor(int fd, char separator, const std::string& fileName,
                                      SpectrumSources sources, int sweep) {
  const std::unique_ptr<ChunkSource> source = DescriptorSource(fd, fileName);
  return ReadSpectrumSource(*source, separator, fileName, sources, sweep);
}

LoadedSpectrum ReadSpectrumText(std::string_view bytes, char separator, std::string_view fileName,
                                SpectrumSources sources, int sweep) {
  TextSource source(bytes);
  return ReadSpectrumSource(source, separator, fileName, sources, sweep);
}

}  // namespace odecet
