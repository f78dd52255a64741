#include "instruments/spectrum_file.h"

#include <memory>
#include <utility>

#include "instruments/file_kind.h"
#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "instruments/text_encoding.h"
#include "spectrum/errors.h"

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

std::vector<SpectrumPoint> ReadInstrumentText(SpectrumFileKind kind, std::string_view text,
                                              std::string_view fileName) {
  switch (kind) {
    case SpectrumFileKind::kGamry:
      return ReadGamryText(text, fileName);
    case SpectrumFileKind::kBioLogic:
      return ReadBioLogicText(text, fileName);
    case SpectrumFileKind::kZPlot:
      return ReadZPlotText(text, fileName);
    case SpectrumFileKind::kChInstruments:
      return ReadChInstrumentsText(text, fileName);
    case SpectrumFileKind::kHeadedTable:
      return ReadHeadedTableText(text, fileName);
    case SpectrumFileKind::kReport:
      return ReadReportText(text, fileName);
    case SpectrumFileKind::kStep:
      break;
  }
  return {};
}

}  // namespace

LoadedSpectrum ReadSpectrumSource(ChunkSource& raw, char separator, std::string_view fileName,
                                  SpectrumSources sources) {
  Utf8Source utf8(raw);
  StartOfText text(utf8);
  const SpectrumFileKind kind = RecognizeKind(text.start());
  if (kind == SpectrumFileKind::kStep)
    return {kind, ReadStepFile(text, separator, fileName)};
  if (kind == SpectrumFileKind::kReport && sources != SpectrumSources::kAlsoReports) {
    throw StepFileError(FilePlace(fileName) +
                        " je tabulka rozdílu, kterou zapsal tento program, ne naměřené spektrum; "
                        "načtěte soubor kroku nebo soubor z přístroje.");
  }
  const std::string whole = Latin1OrUtf8(ReadWhole(text, fileName));
  LoadedSpectrum loaded{kind, {}};
  loaded.file.points = ReadInstrumentText(kind, whole, fileName);
  loaded.file.count = static_cast<std::int32_t>(loaded.file.points.size());
  return loaded;
}

LoadedSpectrum LoadSpectrum(const std::string& path, char separator, SpectrumSources sources) {
  const std::unique_ptr<ChunkSource> source = OpenFileSource(path);
  return ReadSpectrumSource(*source, separator, path, sources);
}

LoadedSpectrum ReadSpectrumDescriptor(int fd, char separator, const std::string& fileName,
                                      SpectrumSources sources) {
  const std::unique_ptr<ChunkSource> source = DescriptorSource(fd, fileName);
  return ReadSpectrumSource(*source, separator, fileName, sources);
}

LoadedSpectrum ReadSpectrumText(std::string_view bytes, char separator, std::string_view fileName,
                                SpectrumSources sources) {
  TextSource source(bytes);
  return ReadSpectrumSource(source, separator, fileName, sources);
}
