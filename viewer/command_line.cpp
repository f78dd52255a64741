#include "viewer/command_line.h"

#include <QFile>
#include <charconv>
#include <string_view>

#include "spectrum/message_text.h"
#include "viewer/picture_export.h"

namespace {

QString LocalPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

// "ŠxV": two whole numbers of pixels, each from 16 to 20000.
QSize ParseSize(std::string_view text) {
  const auto fail = [text]() -> QSize {
    throw ViewerUsageError("Velikost „" + QuoteForMessage(text) +
                           "“ není ve tvaru ŠxV, například 1600x700 (16 až 20000 bodů).");
  };
  const auto x = text.find('x');
  if (x == std::string_view::npos)
    return fail();
  int width = 0;
  int height = 0;
  const std::string_view w = text.substr(0, x);
  const std::string_view h = text.substr(x + 1);
  const auto [wEnd, wError] = std::from_chars(w.data(), w.data() + w.size(), width);
  const auto [hEnd, hError] = std::from_chars(h.data(), h.data() + h.size(), height);
  if (w.empty() || h.empty() || wError != std::errc() || hError != std::errc() ||
      wEnd != w.data() + w.size() || hEnd != h.data() + h.size() || width < 16 || height < 16 ||
      width > 20000 || height > 20000)
    return fail();
  return QSize(width, height);
}

}  // namespace

const char* const kViewerHelp =
    "Použití: odecet-graf [SOUBOR...]\n"
    "        odecet-graf --export=OBRÁZEK [--size=ŠxV] SOUBOR...\n"
    "Ukáže impedanční spektra ze souborů kroků, souborů přístrojů, výsledků programu\n"
    "odecet a tabulek CSV v Nyquistově a Bodeho diagramu a zkontroluje je\n"
    "Kramersovým–Kronigovým testem.\n"
    "\n"
    "  --export=OBRÁZEK  bez okna uloží Nyquistův a Bodeho diagram vedle sebe\n"
    "                    do OBRÁZKU; druh podle přípony: .svg, .png nebo .pdf\n"
    "  --size=ŠxV        velikost obrázku v bodech (výchozí 1600x700)\n"
    "  --help            vypíše tuto nápovědu\n"
    "  --version         vypíše verzi\n"
    "\n"
    "Návratový kód: 0 v pořádku, 2 soubor nelze načíst, 3 obrázek nelze zapsat,\n"
    "64 chybné volby.\n";

ViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& arguments) {
  ViewerCommandLine line;
  std::optional<QSize> size;
  bool options = true;
  for (const std::string& argument : arguments) {
    const std::string_view text = argument;
    if (options && text == "--") {
      options = false;
    } else if (options && text == "--help") {
      line.action = ViewerCommandLine::Action::kHelp;
      return line;
    } else if (options && text == "--version") {
      line.action = ViewerCommandLine::Action::kVersion;
      return line;
    } else if (options && text.starts_with("--export=")) {
      line.picture = LocalPath(text.substr(9));
      if (line.picture.isEmpty())
        throw ViewerUsageError("Volba --export potřebuje jméno obrázku.");
      line.action = ViewerCommandLine::Action::kExport;
    } else if (options && text.starts_with("--size=")) {
      size = ParseSize(text.substr(7));
    } else if (options && text.size() > 1 && text.front() == '-') {
      throw ViewerUsageError("Neznámá volba „" + QuoteForMessage(text) + "“.");
    } else {
      line.files << LocalPath(text);
    }
  }
  if (size && line.action != ViewerCommandLine::Action::kExport)
    throw ViewerUsageError("Volba --size platí jen s volbou --export.");
  if (line.action == ViewerCommandLine::Action::kExport) {
    if (line.files.isEmpty())
      throw ViewerUsageError("Volba --export potřebuje aspoň jeden soubor se spektrem.");
    if (!PictureKindOf(line.picture))
      throw ViewerUsageError("Jméno obrázku „" + QuoteForMessage(line.picture.toStdString()) +
                             "“ musí končit .svg, .png nebo .pdf.");
  }
  if (size)
    line.size = *size;
  return line;
}
