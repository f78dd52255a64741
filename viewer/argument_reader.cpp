#include "viewer/argument_reader.h"

#include <QFile>
#include <QStringList>
#include <utility>

namespace {

// What follows an option: nothing; a value only after "=" (--export=OBRÁZEK); or, as for
// odecet-cli's -d and -t, a value after "=", joined to the letter, or as the next argument.
enum class Takes { kNothing, kJoinedValue, kValue };

struct Spec {
  Option option;
  const char* name;
  const char* letter;
  Takes takes;
};

constexpr Spec kSpecs[] = {
    {Option::kSeparator, "decimal-separator", "d", Takes::kValue},
    {Option::kTolerance, "tolerance", "t", Takes::kValue},
    {Option::kDifference, "difference", nullptr, Takes::kNothing},
    {Option::kExport, "export", nullptr, Takes::kJoinedValue},
    {Option::kSize, "size", nullptr, Takes::kJoinedValue},
    {Option::kDpi, "dpi", nullptr, Takes::kJoinedValue},
    {Option::kFontSize, "font-size", nullptr, Takes::kJoinedValue},
    {Option::kView, "view", nullptr, Takes::kJoinedValue},
    {Option::kNoDecades, "no-decades", nullptr, Takes::kNothing},
    {Option::kHelp, "help", nullptr, Takes::kNothing},
    {Option::kVersion, "version", nullptr, Takes::kNothing},
};

const Spec* SpecNamed(const QString& name) {
  for (const Spec& spec : kSpecs) {
    if (name == QLatin1String(spec.name) || (spec.letter && name == QLatin1String(spec.letter)))
      return &spec;
  }
  return nullptr;
}

ArgumentReader::Found Is(ArgumentReader::Kind kind, Option option = Option::kHelp,
                         std::optional<std::string> joined = std::nullopt) {
  return {kind, option, std::move(joined)};
}

}  // namespace

std::string OptionName(Option option) {
  for (const Spec& spec : kSpecs) {
    if (spec.option == option)
      return spec.letter ? std::string("-") + spec.letter : std::string("--") + spec.name;
  }
  return {};
}

ArgumentReader::ArgumentReader() {
  // -dX is -d with the value X, as getopt reads it.
  parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  for (const Spec& spec : kSpecs) {
    QStringList names;
    if (spec.letter)
      names << QLatin1String(spec.letter);
    names << QLatin1String(spec.name);
    const QString valueName = spec.takes == Takes::kNothing ? QString() : QStringLiteral("X");
    parser_.addOption(QCommandLineOption(names, QString(), valueName));
  }
}

ArgumentReader::Found ArgumentReader::Read(const std::string& argument) {
  const bool parsed =
      parser_.parse({QStringLiteral("odecet-graf"), QFile::decodeName(argument.c_str())});
  const QStringList names = parser_.optionNames();
  if (parsed && names.isEmpty())
    return Is(parser_.positionalArguments().isEmpty() ? Kind::kEndOfOptions : Kind::kFile);
  if (!parser_.unknownOptionNames().isEmpty() || names.size() != 1)
    return Is(Kind::kUnknown);
  const Spec* spec = SpecNamed(names.first());
  // The parser takes "--d" for -d; a letter is an option only after a single dash.
  const bool longForm = argument.starts_with("--");
  if (!spec || (longForm && names.first() != QLatin1String(spec->name)))
    return Is(Kind::kUnknown);
  if (!parsed) {
    // Alone, a known option fails for a missing value or for a value it does not take; only -d
    // and -t take the next argument.
    return Is(spec->takes == Takes::kValue ? Kind::kValueFollows : Kind::kUnknown, spec->option);
  }
  if (spec->takes == Takes::kNothing)
    return Is(Kind::kOption, spec->option);
  const std::size_t start = longForm ? argument.find('=') + 1 : 2;
  return Is(Kind::kOption, spec->option, argument.substr(start));
}
