#include "spectrum/system_error_text.h"

#include <cerrno>
#include <cstring>

std::string SystemErrorText(int errorNumber) {
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
    default:
      return std::strerror(errorNumber);
  }
}
