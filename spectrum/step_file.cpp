#include "spectrum/step_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <utility>

#include "spectrum/decimal_text.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/system_error_text.h"

namespace odecet {

namespace {

// The white space of the classic C locale: ' ', '\t', '\n', '\v', '\f' and '\r', as a bit set.
constexpr std::uint64_t kSpaceBits = (std::uint64_t{1} << ' ') | (std::uint64_t{0x1F} << '\t');
constexpr bool IsSpace(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= ' ' && ((kSpaceBits >> byte) & 1) != 0;
}
// A zero byte ends a token like white space, but is never skipped.
constexpr bool EndsToken(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= ' ' && (((kSpaceBits | 1) >> byte) & 1) != 0;
}
static_assert(IsSpace('\t') && IsSpace('\r') && IsSpace(' ') && !IsSpace('\x1C') &&
              !IsSpace('\0') && EndsToken('\0') && !EndsToken('0') && !EndsToken('\xA0'));

// Hands out the white-space-separated tokens of a source. Memory stays bounded whatever the file
// holds: a token longer than kMaxNumberTextLength is refused as soon as that is known, and only
// its start is kept, for the message.
class Tokenizer {
 public:
  enum class Result { kToken, kEnd, kZeroByte, kTooLong };

  explicit Tokenizer(ChunkSource& source) : source_(source) {}

  // Next and the token's number: `isNumber` tells whether it is one, by StrToFloat's rule, and
  // `value` then holds it.
  Result NextNumber(char separator, std::string_view& token, double& value, bool& isNumber) {
    std::size_t start = pos_;
    while (start < chunk_.size() && IsSpace(chunk_[start]))  // mostly done by the call before
      ++start;
    if (!atStreamStart_ && chunk_.size() - start >= kWindow) {
      // The common case: a number token and the white space after it within one window. Where
      // the next token starts is found from the window alone, so it need not wait for the number.
      const char* begin = chunk_.data() + start;
      const WindowBits bits = ReadWindow(begin);
      const int length = std::countr_zero(bits.enders);  // kWindow if no end in sight
      double quick = 0.0;
      if (length < kWindow && ReadCommonNumber(begin, chunk_.data() + chunk_.size(), separator,
                                               quick) == begin + length) {
        const unsigned nonSpace = ~bits.spaces & (~0U << length);
        pos_ = start + static_cast<std::size_t>(std::min(std::countr_zero(nonSpace), kWindow));
        token = std::string_view(begin, static_cast<std::size_t>(length));
        value = quick;
        isNumber = true;
        return Result::kToken;
      }
    }
    pos_ = start;
    const Result result = Next(token);
    isNumber = result == Result::kToken && TryStrToFloat(token, separator, value);
    return result;
  }

  // The view stays valid until the next call; for kTooLong it holds the token's start.
  Result Next(std::string_view& token) {
    for (;;) {
      const std::size_t from = pos_;
      while (pos_ < chunk_.size() && IsSpace(chunk_[pos_]))
        ++pos_;
      if (pos_ != from)
        atStreamStart_ = false;
      if (pos_ < chunk_.size())
        break;
      if (!Refill())
        return Result::kEnd;
    }
    if (chunk_[pos_] == '\0')
      return Result::kZeroByte;
    Result result = TakeToken(token);
    if (std::exchange(atStreamStart_, false) && result == Result::kToken &&
        token.starts_with(kByteOrderMark)) {
      // Windows editors begin UTF-8 files with a byte order mark; it is not part of the count.
      token.remove_prefix(kByteOrderMark.size());
      if (token.empty())
        return Next(token);
    }
    if (result == Result::kToken && token.size() > kMaxNumberTextLength)
      result = Result::kTooLong;
    return result;
  }

 private:
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

  // Which of the 16 bytes from `p` are white space, and which end a token (white space or zero).
  static constexpr int kWindow = 16;
  struct WindowBits {
    unsigned spaces = 0;
    unsigned enders = 0;
  };
  static WindowBits ReadWindow(const char* p) {
    WindowBits bits;
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i fromTab = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));  // '\t'...'\r' to 0...4
    const __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab);
    const __m128i spaces = _mm_or_si128(controls, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
    const __m128i enders = _mm_or_si128(spaces, _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
    bits.spaces = static_cast<unsigned>(_mm_movemask_epi8(spaces));
    bits.enders = static_cast<unsigned>(_mm_movemask_epi8(enders));
#else
    for (int i = 0; i < kWindow; ++i) {
      bits.spaces |= IsSpace(p[i]) ? 1U << i : 0U;
      bits.enders |= EndsToken(p[i]) ? 1U << i : 0U;
    }
#endif
    bits.enders |= 1U << kWindow;  // so that "no end" counts as kWindow
    return bits;
  }
  // A byte order mark may stand before a token of the greatest length.
  static constexpr std::size_t kLimit = kMaxNumberTextLength + kByteOrderMark.size();

  Result TakeToken(std::string_view& token) {
    const std::size_t start = pos_;
    SkipTokenCharacters(kLimit + 1);
    if (pos_ - start > kLimit)
      return TooLong(chunk_.substr(start, pos_ - start), token);
    if (pos_ < chunk_.size()) {
      token = chunk_.substr(start, pos_ - start);
      return Result::kToken;
    }
    // The token runs on into the next chunk.
    joined_.assign(chunk_.substr(start));
    while (Refill()) {
      const std::size_t from = pos_;
      SkipTokenCharacters(kLimit + 1 - joined_.size());
      joined_.append(chunk_.substr(from, pos_ - from));
      if (joined_.size() > kLimit)
        return TooLong(joined_, token);
      if (pos_ < chunk_.size())
        break;
    }
    token = joined_;
    return Result::kToken;
  }
  static Result TooLong(std::string_view start, std::string_view& token) {
    token = start.substr(0, kLimit);
    return Result::kTooLong;
  }
  // Stops at the token's end or after `limit` characters.
  void SkipTokenCharacters(std::size_t limit) {
    const std::size_t end = std::min(chunk_.size(), pos_ + limit);
    while (pos_ < end && !EndsToken(chunk_[pos_]))
      ++pos_;
  }
  bool Refill() {
    if (atEnd_)
      return false;
    chunk_ = source_.NextChunk();
    pos_ = 0;
    atEnd_ = chunk_.empty();
    return !atEnd_;
  }

  ChunkSource& source_;
  std::string_view chunk_;
  std::size_t pos_ = 0;
  bool atEnd_ = false;
  bool atStreamStart_ = true;
  std::string joined_;
};

std::string FilePrefix(std::string_view fileName) {
  return "Soubor „" + VisibleText(fileName) + "“";
}

std::string TooLongText(std::string_view start) {
  return "údaj „" + QuoteForMessage(start) + "“ je delší než " +
         std::to_string(kMaxNumberTextLength) + " znaků.";
}

[[noreturn]] void ThrowNoCount(std::string_view fileName, const std::string& why) {
  throw StepFileError(FilePrefix(fileName) + " nezačíná počtem bodů: " + why);
}

std::int32_t ReadCount(Tokenizer& tokens, std::string_view fileName) {
  std::string_view token;
  switch (tokens.Next(token)) {
    case Tokenizer::Result::kEnd:
      ThrowNoCount(fileName, "soubor je prázdný nebo obsahuje jen mezery.");
    case Tokenizer::Result::kZeroByte:
      ThrowNoCount(fileName, "obsahuje nulový bajt.");
    case Tokenizer::Result::kTooLong:
      ThrowNoCount(fileName, TooLongText(token));
    case Tokenizer::Result::kToken:
      break;
  }
  std::size_t i = 0;
  const bool negative = token[0] == '-';
  if (token[0] == '+' || token[0] == '-')
    ++i;
  if (i == token.size()) {
    ThrowNoCount(fileName, "„" + QuoteForMessage(token) + "“ není celé číslo.");
  }
  std::int64_t magnitude = 0;
  constexpr std::int64_t kBeyondInt32 = std::int64_t{1} << 32;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    if (c < '0' || c > '9') {
      ThrowNoCount(fileName, "„" + QuoteForMessage(token) + "“ není celé číslo.");
    }
    magnitude = std::min(magnitude * 10 + (c - '0'), kBeyondInt32);
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    throw StepFileError(FilePrefix(fileName) + ": počet bodů „" + QuoteForMessage(token) +
                        "“ je mimo rozsah; program zpracuje nejvýše " + std::to_string(MaxPoints) +
                        " bodů.");
  }
  if (value > MaxPoints) {
    throw StepFileError(FilePrefix(fileName) + ": počet bodů je " + std::to_string(value) +
                        ", program zpracuje nejvýše " + std::to_string(MaxPoints) + " bodů.");
  }
  return static_cast<std::int32_t>(value);
}

constexpr std::array<const char*, 3> kValueNames = {"kmitočet", "reálná část", "imaginární část"};

std::string PointPrefix(std::string_view fileName, std::int32_t index, std::size_t value) {
  return FilePrefix(fileName) + ", bod " + std::to_string(index + 1) + " (" + kValueNames[value] +
         "): ";
}

// Reads the three numbers of point `index`. All three tokens are read before a bad one is
// reported, so a file that ends inside the point counts as ending early.
SpectrumPoint ReadPoint(Tokenizer& tokens, char separator, std::string_view fileName,
                        std::int32_t index, std::int32_t count) {
  double values[3] = {0.0, 0.0, 0.0};
  std::size_t firstBad = 3;
  std::string badText;
  for (std::size_t v = 0; v < 3; ++v) {
    std::string_view token;
    bool isNumber = false;
    switch (tokens.NextNumber(separator, token, values[v], isNumber)) {
      case Tokenizer::Result::kEnd:
        throw StepFileError(FilePrefix(fileName) + " končí předčasně: počet bodů je " +
                            std::to_string(count) + ", úplných bodů je však jen " +
                            std::to_string(index) + ".");
      case Tokenizer::Result::kZeroByte:
        if (firstBad == 3) {
          throw StepFileError(PointPrefix(fileName, index, v) +
                              "prázdný údaj, soubor obsahuje nulový bajt.");
        }
        v = 3;  // nothing after a zero byte can be read; report the earlier bad text
        break;
      case Tokenizer::Result::kTooLong:
        throw StepFileError(PointPrefix(fileName, index, v) + TooLongText(token));
      case Tokenizer::Result::kToken:
        if (!isNumber && firstBad == 3) {
          firstBad = v;
          badText.assign(token);
        }
        break;
    }
  }
  if (firstBad != 3) {
    try {
      StrToFloat(badText, separator);
    } catch (const ConversionError& error) {
      throw StepFileError(PointPrefix(fileName, index, firstBad) + error.what());
    }
  }
  return SpectrumPoint{values[0], values[1], values[2]};
}

class FileSource : public ChunkSource {
 public:
  // Reads an open descriptor that somebody else owns, such as standard input.
  FileSource(int fd, std::string name) : path_(std::move(name)), fd_(fd), owned_(false) {}

  explicit FileSource(const std::string& path) : path_(path) {
    do {
      fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
      Fail("nelze otevřít", errno);
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode))
      Fail("nelze otevřít", EISDIR);
  }
  ~FileSource() override {
    if (fd_ >= 0 && owned_)
      ::close(fd_);
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::string_view NextChunk() override {
    for (;;) {
      const ssize_t got = ::read(fd_, buffer_.get(), kBufferSize);
      if (got >= 0)
        return std::string_view(buffer_.get(), static_cast<std::size_t>(got));
      if (errno != EINTR)
        Fail("nelze přečíst", errno);
    }
  }

 private:
  [[noreturn]] void Fail(const char* what, int errorNumber) {
    throw StepFileError(FilePrefix(path_) + " " + what + ": " + SystemErrorText(errorNumber) + ".");
  }

  std::string path_;
  int fd_ = -1;
  bool owned_ = true;
  // Not zero-filled: a short-lived tool pays for every page it touches.
  static constexpr std::size_t kBufferSize = 16 * 1024;
  std::unique_ptr<char[]> buffer_{new char[kBufferSize]};
};

}  // namespace

std::unique_ptr<ChunkSource> OpenFileSource(const std::string& path) {
  return std::make_unique<FileSource>(path);
}

std::unique_ptr<ChunkSource> DescriptorSource(int fd, const std::string& fileName) {
  return std::make_unique<FileSource>(fd, fileName);
}

Spectrum ReadStepFile(ChunkSource& source, char separator, std::string_view fileName) {
  Tokenizer tokens(source);
  Spectrum file;
  file.count = ReadCount(tokens, fileName);
  file.points.reserve(static_cast<std::size_t>(std::max(file.count, 0)));
  for (std::int32_t i = 0; i < file.count; ++i) {
    file.points.push_back(ReadPoint(tokens, separator, fileName, i, file.count));
  }
  return file;
}

Spectrum ReadStepText(std::string_view text, char separator, std::string_view fileName) {
  TextSource source(text);
  return ReadStepFile(source, separator, fileName);
}

Spectrum LoadStepFile(const std::string& path, char separator) {
  FileSource source(path);
  return ReadStepFile(source, separator, path);
}

void StoreStep(const Spectrum& file, PointTable& table, std::int32_t& count) {
  std::copy(file.points.begin(), file.points.end(), table.begin());
  count = file.count;
}

}  // namespace odecet
