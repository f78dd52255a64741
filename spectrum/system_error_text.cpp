#include "spectrum/system_error_text.h"

#include <locale.h>
#include <string.h>

#include <cerrno>
#include <cstdint>
#include <initializer_list>

namespace odecet {

namespace {

// The program's own words, for machines without the C library's Czech catalogue or locale.
const char* OwnText(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
      return "soubor nebo adresář neexistuje";
    case EACCES:
    case EPERM:
      return "chybí oprávnění";
    case EISDIR:
      return "je to adresář";
    case ENOTDIR:
      return "část cesty není adresář";
    case ENOSPC:
      return "na disku není místo";
    case EDQUOT:
      return "je vyčerpána disková kvóta";
    case EFBIG:
      return "soubor by byl příliš velký";
    case EROFS:
      return "systém souborů je jen pro čtení";
    case ENAMETOOLONG:
      return "cesta je příliš dlouhá";
    case EIO:
      return "chyba vstupu/výstupu";
    case ELOOP:
      return "příliš mnoho úrovní symbolických odkazů";
    case EBUSY:
    case ETXTBSY:
      return "soubor je používán";
    case EXDEV:
      return "odkaz mezi zařízeními není přípustný";
    case ENXIO:
    case ENODEV:
      return "zařízení neexistuje";
    case EMFILE:
    case ENFILE:
      return "je otevřeno příliš mnoho souborů";
    case ENOMEM:
      return "nedostatek paměti";
    case EAGAIN:
      return "prostředek je dočasně nedostupný";
    case EINVAL:
      return "nepřípustný argument";
    case ESTALE:
      return "zastaralý popisovač souboru v síťovém systému souborů";
    case EOVERFLOW:
      return "hodnota je pro datový typ příliš velká";
    case ETIMEDOUT:
      return "vypršel časový limit";
    case EMLINK:
      return "příliš mnoho odkazů";
    default:
      return nullptr;
  }
}

// A Czech locale for the C library's messages, looked up once; null when none is installed.
locale_t CzechMessages() {
  static const locale_t locale = [] {
    for (const char* name : {"cs_CZ.UTF-8", "cs_CZ.utf8"}) {
      const locale_t found =
          newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
      if (found != static_cast<locale_t>(nullptr))
        return found;
    }
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

// Lower-cases the first letter (ASCII, Latin-1 and Latin Extended-A, which hold every Czech
// capital), so the text reads on after a colon.
void LowerFirstLetter(std::string& text) {
  if (text.empty())
    return;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead >= 'A' && lead <= 'Z') {
    text[0] = static_cast<char>(lead + 0x20);
    return;
  }
  if (text.size() < 2 || (lead & 0xE0) != 0xC0)
    return;
  const std::uint32_t code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[1]) & 0x3Fu);
  std::uint32_t lower = code;
  if (code >= 0xC0 && code <= 0xDE && code != 0xD7) {
    lower = code + 0x20;
  } else if ((code >= 0x100 && code <= 0x137) || (code >= 0x14A && code <= 0x177)) {
    lower = code | 1u;  // capitals at even codes
  } else if ((code >= 0x139 && code <= 0x148) || (code >= 0x179 && code <= 0x17E)) {
    lower = (code % 2 == 1) ? code + 1 : code;  // capitals at odd codes
  }
  text[0] = static_cast<char>(0xC0 | (lower >> 6));
  text[1] = static_cast<char>(0x80 | (lower & 0x3F));
}

}  // namespace

std::string SystemErrorText(int errorNumber) {
  if (const locale_t czech = CzechMessages(); czech != static_cast<locale_t>(nullptr)) {
    std::string text = strerror_l(errorNumber, czech);
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const bool translated =
        classic == static_cast<locale_t>(nullptr) || text != strerror_l(errorNumber, classic);
    if (translated) {  // the catalogue has it (without libc-l10n the text stays English)
      LowerFirstLetter(text);
      return text;
    }
  }
  return OwnSystemErrorText(errorNumber);
}

std::string OwnSystemErrorText(int errorNumber) {
  if (const char* own = OwnText(errorNumber))
    return own;
  return "systémová chyba č. " + std::to_string(errorNumber);
}

}  // namespace odecet
