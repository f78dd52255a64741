#pragma once

class QCoreApplication;

namespace odecet {

// Installs Qt's own texts (dialog buttons, labels, context menus, the overwrite question) in the
// user's language, as every Qt program shows them; English stays where no catalogue exists.
// The translators are owned by `application`.
void LoadQtTranslations(QCoreApplication& application);

}  // namespace odecet
