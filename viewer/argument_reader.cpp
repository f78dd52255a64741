#include "viewer/argument_reader.h"

#include <QFile>
#include <QStringList>
#include <utility>

namespace odecet {

namespace {

// What follows an option: nothing; a value only after "=" (--export=OBRÁZEK); or, as for
// odecet-cli's -d and -t, a value after "=", joined to the letter, or as the next argument.
enum class Takes { kNothing, kJoinedValue, kValue };

struct Form {
  Option option;
  const char* name;
  const char* letter;
  Takes takes;
};

constexpr Form kForms[] = {
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

const Form* FormNamed(const QString& name) {
  for (const Form& form : kForms) {
    if (name == QLatin1String(form.name) || (form.letter && name == QLatin1String(form.letter)))
      return &form;
  }
  return nullptr;
}

ArgumentReader::Found Is(ArgumentReader::Kind kind, Option option = Option::kHelp,
                         std::optional<std::string> joined = std::nullopt) {
  return {kind, option, std::move(joined)};
}

}  // namespace

std::string OptionName(Option option) {
  for (const Form& form : kForms) {
    if (form.option == option)
      return form.letter ? std::string("-") + form.letter : std::string("--") + form.name;
  }
  return {};
}

ArgumentReader::ArgumentReader() {
  // -dX is -d with the value X, as getopt reads it.
  parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  for (const Form& form : kForms) {
    QStringList names;
    if (form.letter)
      names << QLatin1String(form.letter);
    names << QLatin1String(form.name);
    const QString valueName = form.takes == Takes::kNothing ? QString() : QStringLiteral("X");
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
  const Form* form = FormNamed(names.first());
  // The parser takes "--d" for -d; a letter is an option only after a single dash.
  const bool longForm = argument.starts_with("--");
  if (!form || (longForm && names.first() != QLatin1String(form->name)))
    return Is(Kind::kUnknown);
  if (!parsed) {
    // Alone, a known option fails for a missing value or for a value it does not take; only -d
    // and -t take the next argument.
    return Is(form->takes == Takes::kValue ? Kind::kValueFollows : Kind::kUnknown, form->option);
  }
  if (form->takes == Takes::kNothing)
    return Is(Kind::kOption, form->option);
  const std::size_t start = longForm ? argument.find('=') + 1 : 2;
  return Is(Kind::kOption, form->option, argument.substr(start));
}

}  // namespace odecet
