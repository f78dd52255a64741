#include "cli/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "instruments/file_kind.h"
#include "program/option_values.h"
#include "spectrum/decimal_text.h"
#include "spectrum/message_text.h"

namespace odecet {

const char* const kUsage =
    "Použití: odecet-cli [VOLBA]... KROK1 KROK2\n"
    "  nebo:  odecet-cli --kk [--kk-method=METODA] [--kk-limit=MEZ] [--sweep=N] [-d ODDĚLOVAČ]\n"
    "         SOUBOR...\n"
    "  nebo:  odecet-cli -f csv --uncertainty [--repeat1=SOUBOR]... [--repeat2=SOUBOR]...\n"
    "         [VOLBA]... KROK1 KROK2\n"
    "  nebo:  odecet-cli [VOLBA]... --batch=SEZNAM";

namespace {

// %FORMATS% stands for the list of kinds of file, %AUTO_LIMIT% and %LINKK_LIMIT% for the
// limits the Kramers–Kronig tests use by default (in the Czech way, with a comma).
const char* const kHelpTemplate =
    "Odečte dvě impedanční spektra bod po bodu a zapíše rozdíl jako tabulku.\n"
    "\n"
    "KROK1 je soubor měřený se 4 žebry, KROK2 soubor měřený se 3 žebry; „-“ místo\n"
    "jednoho z nich čte standardní vstup.\n"
    "\n"
    "S volbou --batch zpracuje mnoho dvojic najednou: každý řádek SEZNAMU\n"
    "(„-“ čte standardní vstup) je KROK1<TAB>KROK2<TAB>VÝSTUP, případně ještě\n"
    "<TAB>MĚŘENÍ1<TAB>MĚŘENÍ2 (číslo jako u --sweep; prázdné pole platí podle\n"
    "--sweep); prázdné řádky a řádky začínající „#“ se přeskočí. Ostatní volby\n"
    "platí pro všechny úlohy, zprávy úlohy začínají číslem jejího řádku a selhaná\n"
    "úloha ostatní nezastaví.\n"
    "\n"
    "Kromě souborů kroků čte soubory přístrojů (druh pozná z obsahu):\n"
    "%FORMATS%"
    "\n"
    "  -d, --decimal-separator=ODDĚLOVAČ  desetinný oddělovač „,“ nebo „.“ souborů\n"
    "                                     kroků a tabulky „report“ (bez volby podle\n"
    "                                     místního nastavení)\n"
    "  -f, --format=FORMÁT                „report“ (výchozí): tabulka s pevnou\n"
    "                                     šířkou sloupců; „csv“: tabulka CSV pro\n"
    "                                     programy, které spektra prokládají, čísla\n"
    "                                     vždy s desetinnou tečkou\n"
    "  -o, --output=VÝSTUP                zapíše tabulku do souboru VÝSTUP\n"
    "                                     (bez volby nebo s „-“ na standardní výstup)\n"
    "      --batch=SEZNAM                 úlohy ze SEZNAMU místo KROK1 a KROK2\n"
    "      --uncertainty                  s -f csv přidá sloupce u(Re) a u(-Im):\n"
    "                                     standardní nejistotu každého bodu rozdílu\n"
    "                                     ze šumu obou kroků (odhad z Kramersovy–\n"
    "                                     Kronigovy zkoušky, s --repeat z rozptylu\n"
    "                                     opakovaných měření); na chybový výstup\n"
    "                                     řádek, kolik bodů leží v rámci 2u od nuly\n"
    "      --repeat1=SOUBOR               další měření kroku 1 (lze opakovat); s ním\n"
    "                                     se šum kroku 1 bere z rozptylu měření\n"
    "      --repeat2=SOUBOR               totéž pro krok 2\n"
    "      --sweep=N                      ze souboru s více měřeními (cykly EC-Lab,\n"
    "                                     více tabulek ZCURVE, kmitočet znovu od\n"
    "                                     začátku) vezme měření N: 1 první, 2 druhé,\n"
    "                                     -1 poslední, -2 předposlední; bez volby je\n"
    "                                     takový soubor odmítnut, s --kk se ověří\n"
    "                                     každé měření zvlášť\n"
    "  -t, --tolerance=PODÍL              kmitočty se shodují, liší-li se nejvýš\n"
    "                                     o PODÍL většího z nich (např. 0.001 nebo\n"
    "                                     0,001); bez volby musí být stejné\n"
    "      --kk                           místo odečtu ověří každý SOUBOR (krok, soubor\n"
    "                                     přístroje nebo tabulku rozdílu) Kramersovou–\n"
    "                                     Kronigovou zkouškou a vypíše řádek s poli\n"
    "                                     oddělenými tabulátorem: soubor, M, µ, pseudo χ²,\n"
    "                                     největší |odchylka| Re a Im v %, zobrazení\n"
    "                                     (Z nebo Y), log F_ext, odhad šumu v %, verdikt\n"
    "                                     „v pořádku“ nebo „podezřelé“; důvod podezření\n"
    "                                     jde na standardní chybový výstup; soubor\n"
    "                                     s více měřeními dá řádek za každé, za jménem\n"
    "                                     číslo měření (SOUBOR#2)\n"
    "      --kk-method=METODA             „auto“ (výchozí): automatická zkouška (reálné\n"
    "                                     proložení, Z i Y, F_ext a M voleny samy; viz\n"
    "                                     man odecet-cli); „linkk“: linKK jako\n"
    "                                     impedance.py, řádek bez polí zobrazení, F_ext\n"
    "                                     a šumu\n"
    "      --kk-limit=MEZ                 největší odchylka v % |Z|, která projde i bez\n"
    "                                     náhodného šumu (výchozí %AUTO_LIMIT%; s linkk "
    "%LINKK_LIMIT%)\n"
    "  -h, --help                         vypíše tuto nápovědu a skončí\n"
    "  -V, --version                      vypíše verzi a skončí\n"
    "\n"
    "Návratový kód: 0 tabulka zapsána, 1 spektra se neshodují, 2 soubor kroku nelze\n"
    "přečíst nebo je vadný, 3 výstup nelze zapsat, 64 chybné použití; s --batch\n"
    "nejvyšší z kódů úloh (vadný řádek seznamu je chybné použití). S --kk: 0 všechny\n"
    "soubory v pořádku, 1 některý podezřelý, 2 některý nelze přečíst nebo ověřit.\n";

CommandLine::Format ParseFormat(const std::string& text) {
  if (text == "report")
    return CommandLine::Format::kReport;
  if (text == "csv")
    return CommandLine::Format::kCsv;
  throw UsageError("formát musí být „report“ nebo „csv“, ne „" + QuoteForMessage(text) + "“");
}

double ParseKkLimit(const std::string& text) {
  double value = 0.0;
  if (TryTypedNumber(text, value) && std::isfinite(value) && value > 0.0)
    return value;
  throw UsageError("mez odchylky musí být kladné číslo v procentech, ne „" + QuoteForMessage(text) +
                   "“");
}

CommandLine::KkMethod ParseKkMethod(const std::string& text) {
  if (text == "auto")
    return CommandLine::KkMethod::kAutomatic;
  if (text == "linkk")
    return CommandLine::KkMethod::kLinKK;
  throw UsageError("metoda zkoušky musí být „auto“ nebo „linkk“, ne „" + QuoteForMessage(text) +
                   "“");
}

// Long options without a letter.
enum : int {
  kOptionKk = 256,
  kOptionKkLimit,
  kOptionKkMethod,
  kOptionBatch,
  kOptionUncertainty,
  kOptionRepeat1,
  kOptionRepeat2,
  kOptionSweep
};

const option kLongOptions[] = {
    {"kk", no_argument, nullptr, kOptionKk},
    {"kk-limit", required_argument, nullptr, kOptionKkLimit},
    {"kk-method", required_argument, nullptr, kOptionKkMethod},
    {"uncertainty", no_argument, nullptr, kOptionUncertainty},
    {"repeat1", required_argument, nullptr, kOptionRepeat1},
    {"repeat2", required_argument, nullptr, kOptionRepeat2},
    {"batch", required_argument, nullptr, kOptionBatch},
    {"sweep", required_argument, nullptr, kOptionSweep},
    {"decimal-separator", required_argument, nullptr, 'd'},
    {"format", required_argument, nullptr, 'f'},
    {"output", required_argument, nullptr, 'o'},
    {"tolerance", required_argument, nullptr, 't'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// The option as the user wrote it, for a message about it.
std::string WrittenOption(char* const* argv, int index, int shortOption) {
  const std::string written = argv[index];
  if (written.starts_with("--"))
    return QuoteForMessage(written.substr(0, written.find('=')));
  return std::string("-") + static_cast<char>(shortOption);
}

CommandLine KkLine(CommandLine line, const std::vector<std::string>& files) {
  if (line.report)
    throw UsageError("volba „-o“ se s volbou „--kk“ nepoužívá: řádky jdou na standardní výstup");
  if (files.empty())
    throw UsageError("chybí SOUBOR k ověření");
  if (std::count(files.begin(), files.end(), "-") > 1)
    throw UsageError("standardní vstup („-“) lze ověřit jen jednou");
  line.action = CommandLine::Action::kKk;
  line.kkFiles = files;
  return line;
}

// A file named by an option: given once and not empty.
void TakeFileName(std::optional<std::string>& name, const char* value, const char* givenTwice,
                  const char* empty) {
  if (name)
    throw UsageError(givenTwice);
  if (*value == '\0')
    throw UsageError(empty);
  name = value;
}

}  // namespace

std::string HelpText() {
  std::string formats;
  for (const SpectrumFormat& format : SpectrumFormats()) {
    if (format.kind != SpectrumFileKind::kReport)  // --kk reads reports too, as it says
      formats += "  " + std::string(format.label) + "\n";
  }
  std::string help = kHelpTemplate;
  const auto fill = [&help](std::string_view placeholder, const std::string& text) {
    help.replace(help.find(placeholder), placeholder.size(), text);
  };
  fill("%FORMATS%", formats);
  fill("%AUTO_LIMIT%", FloatToStr(DefaultKkLimitPercent(KkMethod::kAutomatic), ','));
  fill("%LINKK_LIMIT%", FloatToStr(DefaultKkLimitPercent(KkMethod::kLinKK), ','));
  return help;
}

std::optional<int> ParseSweepNumber(std::string_view text) {
  int value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+')
    ++begin;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || stop != end || value == 0)
    return std::nullopt;
  return value;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  // getopt_long permutes its argv, so it gets copies.
  std::vector<std::string> storage{"odecet-cli"};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(storage.size());

  CommandLine line;
  bool formatGiven = false;
  bool toleranceGiven = false;
  bool kk = false;
  bool kkMethodGiven = false;
  optind = 0;  // a fresh scan, also when called again
  opterr = 0;  // the messages are ours, in Czech
  for (;;) {
    const int option = getopt_long(argc, argv.data(), ":d:f:o:t:hV", kLongOptions, nullptr);
    if (option == -1)
      break;
    switch (option) {
      case 'd':
        if (line.decimalSeparator)
          throw UsageError("desetinný oddělovač je zadán dvakrát");
        line.decimalSeparator = ParseSeparator(optarg);
        break;
      case 'f':
        if (formatGiven)
          throw UsageError("formát výstupu je zadán dvakrát");
        formatGiven = true;
        line.format = ParseFormat(optarg);
        break;
      case 't':
        if (toleranceGiven)
          throw UsageError("tolerance je zadána dvakrát");
        toleranceGiven = true;
        line.tolerance = ParseTolerance(optarg);
        break;
      case 'o':
        TakeFileName(line.report, optarg, "výstupní soubor je zadán dvakrát",
                     "prázdný název výstupního souboru");
        break;
      case kOptionKk:
        kk = true;
        break;
      case kOptionKkLimit:
        if (line.kkLimit)
          throw UsageError("mez odchylky je zadána dvakrát");
        line.kkLimit = ParseKkLimit(optarg);
        break;
      case kOptionKkMethod:
        if (kkMethodGiven)
          throw UsageError("metoda zkoušky je zadána dvakrát");
        kkMethodGiven = true;
        line.kkMethod = ParseKkMethod(optarg);
        break;
      case kOptionUncertainty:
        if (line.uncertainty)
          throw UsageError("volba „--uncertainty“ je zadána dvakrát");
        line.uncertainty = true;
        break;
      case kOptionRepeat1:
      case kOptionRepeat2:
        if (*optarg == '\0')
          throw UsageError("prázdný název souboru opakovaného měření");
        if (std::string_view(optarg) == "-")
          throw UsageError("opakované měření nelze číst ze standardního vstupu („-“)");
        (option == kOptionRepeat1 ? line.repeats1 : line.repeats2).emplace_back(optarg);
        break;
      case kOptionSweep:
        if (line.sweep)
          throw UsageError("měření je zadáno dvakrát");
        line.sweep = ParseSweepNumber(optarg);
        if (!line.sweep) {
          throw UsageError("měření musí být celé číslo různé od 0 (1 první, -1 poslední), ne „" +
                           QuoteForMessage(optarg) + "“");
        }
        break;
      case kOptionBatch:
        TakeFileName(line.batch, optarg, "seznam úloh je zadán dvakrát",
                     "prázdný název seznamu úloh");
        break;
      case 'h':
        line.action = CommandLine::Action::kHelp;
        break;
      case 'V':
        line.action = CommandLine::Action::kVersion;
        break;
      case ':':
        throw UsageError("volba „" + WrittenOption(argv.data(), optind - 1, optopt) +
                         "“ potřebuje hodnotu");
      default: {
        // optopt is 0 for an unknown or ambiguous long option, and the option's letter for a
        // long option given a value it does not take (--help=x).
        const std::string written = argv[static_cast<std::size_t>(optind - 1)];
        if (optopt == 0 || (written.starts_with("--") && written.find('=') != std::string::npos))
          throw UsageError("neznámá, nejednoznačná nebo chybně zadaná volba „" +
                           QuoteForMessage(written) + "“");
        throw UsageError("neznámá volba „-" +
                         VisibleText(std::string(1, static_cast<char>(optopt))) + "“");
      }
    }
  }
  if (line.action != CommandLine::Action::kRun)
    return line;
  const std::vector<std::string> files(argv.begin() + optind, argv.end() - 1);
  if (!line.repeats1.empty() || !line.repeats2.empty()) {
    if (!line.uncertainty)
      throw UsageError("volby „--repeat1“ a „--repeat2“ patří jen k volbě „--uncertainty“");
    if (line.batch)
      throw UsageError("volby „--repeat1“ a „--repeat2“ se s volbou „--batch“ nepoužívají");
  }
  if (line.uncertainty && (kk || line.format != CommandLine::Format::kCsv))
    throw UsageError("volba „--uncertainty“ patří jen k tabulce CSV („-f csv“)");
  if (kk) {
    if (formatGiven || toleranceGiven || line.batch)
      throw UsageError("volby „-f“, „-t“ a „--batch“ se s volbou „--kk“ nepoužívají");
    return KkLine(std::move(line), files);
  }
  if (line.kkLimit)
    throw UsageError("volba „--kk-limit“ patří jen k volbě „--kk“");
  if (kkMethodGiven)
    throw UsageError("volba „--kk-method“ patří jen k volbě „--kk“");
  if (line.batch) {
    if (!files.empty())
      throw UsageError("s volbou --batch jsou soubory kroků v seznamu, ne „" +
                       QuoteForMessage(files[0]) + "“");
    if (line.report)
      throw UsageError("s volbou --batch jsou výstupní soubory v seznamu, volba -o nepatří");
    return line;
  }
  if (files.size() < 2)
    throw UsageError(files.empty() ? "chybí soubory KROK1 a KROK2" : "chybí soubor KROK2");
  if (files.size() > 2)
    throw UsageError("nadbytečný argument „" + QuoteForMessage(files[2]) + "“");
  if (files[0] == "-" && files[1] == "-")
    throw UsageError("standardní vstup („-“) může nahradit jen jeden z obou souborů");
  line.step1 = files[0];
  line.step2 = files[1];
  return line;
}

}  // namespace odecet
