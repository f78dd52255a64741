#include "viewer/command_line.h"

#include <QFile>
#include <charconv>
#include <cmath>
#include <set>
#include <string_view>

#include "cli/command_line.h"
#include "program/option_values.h"
#include "spectrum/message_text.h"
#include "viewer/argument_reader.h"
#include "viewer/picture_export.h"

namespace odecet {

namespace {

constexpr int kMaxPixels = 20000;

QString LocalPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

bool WholeNumber(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// "ŠxV": two whole numbers of pixels, each from 16 to 20000; "ŠxVmm": millimetres, from 10 to
// 1000, with either decimal separator.
void ParseSize(std::string_view text, ViewerCommandLine& line) {
  const auto fail = [text] {
    throw ViewerUsageError("Velikost „" + QuoteForMessage(text) +
                           "“ není ve tvaru ŠxV, například 1600x700 (16 až 20000 bodů), ani "
                           "ŠxVmm, například 85x60mm (10 až 1000 mm).");
  };
  const bool physical = text.ends_with("mm");
  const std::string_view numbers = physical ? text.substr(0, text.size() - 2) : text;
  const auto x = numbers.find('x');
  if (x == std::string_view::npos)
    fail();
  const std::string_view w = numbers.substr(0, x);
  const std::string_view h = numbers.substr(x + 1);
  if (physical) {
    double width = 0.0;
    double height = 0.0;
    if (!TryTypedNumber(std::string(w), width) || !TryTypedNumber(std::string(h), height) ||
        !(width >= 10.0 && width <= 1000.0 && height >= 10.0 && height <= 1000.0))
      fail();
    line.millimetres = QSizeF(width, height);
    return;
  }
  int width = 0;
  int height = 0;
  if (!WholeNumber(w, width) || !WholeNumber(h, height) || width < 16 || height < 16 ||
      width > kMaxPixels || height > kMaxPixels)
    fail();
  line.size = QSize(width, height);
}

int ParseDpi(std::string_view text) {
  int dpi = 0;
  if (!WholeNumber(text, dpi) || dpi < 50 || dpi > 2400)
    throw ViewerUsageError("Rozlišení „" + QuoteForMessage(text) +
                           "“ není celé číslo bodů na palec od 50 do 2400.");
  return dpi;
}

double ParseFontSize(std::string_view text) {
  double points = 0.0;
  if (!TryTypedNumber(std::string(text), points) || !(points >= 2.0 && points <= 72.0))
    throw ViewerUsageError("Velikost písma „" + QuoteForMessage(text) +
                           "“ není číslo bodů (pt) od 2 do 72.");
  return points;
}

PictureView ParseView(std::string_view text) {
  if (text == "nyquist")
    return PictureView::kNyquist;
  if (text == "bode")
    return PictureView::kBode;
  if (text == "kk")
    return PictureView::kKramersKronig;
  if (text == "both")
    return PictureView::kBoth;
  throw ViewerUsageError("Graf „" + QuoteForMessage(text) + "“ není nyquist, bode, kk ani both.");
}

// The option values odecet-cli reads, with its very messages.
template <typename Parse>
auto AsCli(Parse parse, std::string_view value) {
  try {
    return parse(std::string(value));
  } catch (const UsageError& error) {
    throw ViewerUsageError(error.what());
  }
}

}  // namespace

const char* const kViewerHelp =
    "Použití: odecet-graf [VOLBA]... [SOUBOR...]\n"
    "        odecet-graf --export=OBRÁZEK [VOLBA]... SOUBOR...\n"
    "Ukáže impedanční spektra ze souborů kroků, souborů přístrojů, výsledků programu\n"
    "odecet a tabulek CSV v Nyquistově a Bodeho diagramu a zkontroluje je\n"
    "Kramersovým–Kronigovým testem.\n"
    "\n"
    "  -d, --decimal-separator=ODDĚLOVAČ  desetinný oddělovač „,“ nebo „.“ souborů\n"
    "                                     kroků (bez volby podle místního nastavení)\n"
    "      --difference KROK1 KROK2       otevře oba kroky (4 a 3 žebra) a jejich\n"
    "                                     rozdíl, zkontrolovaný jako v odecet-cli\n"
    "  -t, --tolerance=PODÍL              kmitočty rozdílu se shodují, liší-li se\n"
    "                                     nejvýš o PODÍL většího z nich (např.\n"
    "                                     0.001); bez volby musí být stejné\n"
    "      --export=OBRÁZEK               bez okna uloží grafy do OBRÁZKU; druh podle\n"
    "                                     přípony: .svg, .png nebo .pdf\n"
    "      --size=ŠxV                     velikost obrázku v bodech (výchozí\n"
    "                                     1600x700)\n"
    "      --size=ŠxVmm                   velikost obrázku v milimetrech, např.\n"
    "                                     85x60mm\n"
    "      --dpi=N                        body na palec obrázku PNG s velikostí v mm\n"
    "                                     (výchozí 300)\n"
    "      --font-size=PT                 velikost písma v bodech (pt) při té\n"
    "                                     velikosti (výchozí 8 pt při velikosti v mm)\n"
    "      --view=GRAF                    nyquist, bode, kk (Kramersova–Kronigova\n"
    "                                     kontrola prvního souboru) nebo both\n"
    "                                     (výchozí: Nyquist a Bode vedle sebe)\n"
    "      --no-decades                   bez popisků dekád kmitočtu v Nyquistově\n"
    "                                     diagramu\n"
    "      --help                         vypíše tuto nápovědu\n"
    "      --version                      vypíše verzi\n"
    "\n"
    "Návratový kód: 0 v pořádku, 1 spektra rozdílu se neshodují, 2 soubor nelze\n"
    "načíst, 3 obrázek nelze zapsat, 64 chybné volby.\n";

PictureSettings SettingsOf(const ViewerCommandLine& line) {
  PictureSettings settings;
  settings.view = line.view;
  settings.pixels = line.size;
  settings.millimetres = line.millimetres;
  settings.dpi = line.dpi.value_or(settings.dpi);
  settings.fontPoints = line.fontPoints;
  return settings;
}

ViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& arguments) {
  ViewerCommandLine line;
  std::set<Option> given;
  ArgumentReader reader;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& text = arguments[i];
    const ArgumentReader::Found found = reader.Read(text);
    if (found.kind == ArgumentReader::Kind::kEndOfOptions) {
      for (++i; i < arguments.size(); ++i)
        line.files << LocalPath(arguments[i]);
      break;
    }
    if (found.kind == ArgumentReader::Kind::kFile) {
      line.files << LocalPath(text);
      continue;
    }
    if (found.kind == ArgumentReader::Kind::kUnknown)
      throw ViewerUsageError("Neznámá volba „" + QuoteForMessage(text) + "“.");
    std::string value = found.joined.value_or(std::string());
    if (found.kind == ArgumentReader::Kind::kValueFollows) {
      if (i + 1 >= arguments.size())
        throw ViewerUsageError("Volba „" + text + "“ potřebuje hodnotu.");
      value = arguments[++i];
    }
    // Every option but --no-decades at most once.
    if (!given.insert(found.option).second && found.option != Option::kNoDecades)
      throw ViewerUsageError("Volba " + OptionName(found.option) + " je zadána dvakrát.");
    switch (found.option) {
      case Option::kHelp:
        line.action = ViewerCommandLine::Action::kHelp;
        return line;
      case Option::kVersion:
        line.action = ViewerCommandLine::Action::kVersion;
        return line;
      case Option::kExport:
        line.picture = LocalPath(value);
        if (line.picture.isEmpty())
          throw ViewerUsageError("Volba --export potřebuje jméno obrázku.");
        line.action = ViewerCommandLine::Action::kExport;
        break;
      case Option::kSize:
        ParseSize(value, line);
        break;
      case Option::kDpi:
        line.dpi = ParseDpi(value);
        break;
      case Option::kFontSize:
        line.fontPoints = ParseFontSize(value);
        break;
      case Option::kView:
        line.view = ParseView(value);
        break;
      case Option::kNoDecades:
        line.noDecades = true;
        break;
      case Option::kDifference:
        // Its two files are the arguments after it, whatever they look like.
        if (i + 2 >= arguments.size())
          throw ViewerUsageError("Volba --difference potřebuje dva soubory: KROK1 a KROK2.");
        line.difference = {LocalPath(arguments[i + 1]), LocalPath(arguments[i + 2])};
        i += 2;
        break;
      case Option::kSeparator:
        line.separator = AsCli(ParseSeparator, value);
        break;
      case Option::kTolerance:
        line.tolerance = AsCli(ParseTolerance, value);
        break;
    }
  }
  const bool exporting = line.action == ViewerCommandLine::Action::kExport;
  for (const Option option :
       {Option::kSize, Option::kDpi, Option::kFontSize, Option::kView, Option::kNoDecades}) {
    if (given.contains(option) && !exporting)
      throw ViewerUsageError("Volba " + OptionName(option) + " platí jen s volbou --export.");
  }
  if (given.contains(Option::kDpi) && !line.millimetres)
    throw ViewerUsageError("Volba --dpi platí jen s velikostí v milimetrech (--size=ŠxVmm).");
  if (given.contains(Option::kTolerance) && exporting && !line.difference)
    throw ViewerUsageError("Volba -t platí při exportu jen s volbou --difference.");
  if (exporting) {
    if (line.files.isEmpty() && !line.difference)
      throw ViewerUsageError("Volba --export potřebuje aspoň jeden soubor se spektrem.");
    if (!PictureKindOf(line.picture))
      throw ViewerUsageError("Jméno obrázku „" + QuoteForMessage(line.picture.toStdString()) +
                             "“ musí končit .svg, .png nebo .pdf.");
    if (line.millimetres) {
      const int dpi = line.dpi.value_or(PictureSettings().dpi);
      const double width = std::round(line.millimetres->width() / 25.4 * dpi);
      const double height = std::round(line.millimetres->height() / 25.4 * dpi);
      if (width > kMaxPixels || height > kMaxPixels)
        throw ViewerUsageError("Obrázek by při " + std::to_string(dpi) +
                               " dpi měl víc než 20000 bodů na stranu; zmenšete --dpi.");
    }
  }
  return line;
}

}  // namespace odecet
