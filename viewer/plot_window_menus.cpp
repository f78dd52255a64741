#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolBar>
#include <optional>
#include <utility>

#include "spectrum/decimal_separator.h"
#include "viewer/nyquist_chart.h"
#include "viewer/plot_view.h"
#include "viewer/plot_window.h"

namespace odecet {

// The window's menus and tool bar.

namespace {

QAction* MakeAction(QObject* owner, const QString& text, const QKeySequence& shortcut) {
  auto* action = new QAction(text, owner);
  action->setShortcut(shortcut);
  return action;
}

}  // namespace

QList<QAction*> PlotWindow::CreateMenus() {
  QAction* open = MakeAction(this, QStringLiteral("&Otevřít…"), QKeySequence::Open);
  open->setIcon(QIcon::fromTheme(QStringLiteral("document-open")));
  connect(open, &QAction::triggered, this, &PlotWindow::ChooseFiles);
  QAction* exportPicture =
      MakeAction(this, QStringLiteral("&Exportovat obrázek…"), QKeySequence(Qt::CTRL | Qt::Key_E));
  exportPicture->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as")));
  connect(exportPicture, &QAction::triggered, this, &PlotWindow::ChooseExport);
  QAction* quit = MakeAction(this, QStringLiteral("&Konec"), QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QAction* copy = MakeAction(this, QStringLiteral("&Kopírovat body"), QKeySequence::Copy);
  copy->setToolTip(QStringLiteral("Body vybraného souboru jako text pro tabulkový procesor"));
  connect(copy, &QAction::triggered, this, &PlotWindow::CopyPoints);
  QAction* remove =
      MakeAction(this, QStringLiteral("&Odebrat ze seznamu"), QKeySequence(Qt::Key_Delete));
  connect(remove, &QAction::triggered, this, &PlotWindow::RemoveSelected);
  QAction* difference =
      MakeAction(this, QStringLiteral("&Rozdíl…"), QKeySequence(Qt::CTRL | Qt::Key_D));
  difference->setToolTip(QStringLiteral("Rozdíl dvou načtených souborů: 3 žebra minus 4 žebra"));
  connect(difference, &QAction::triggered, this, &PlotWindow::ChooseDifference);

  QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&Soubor"));
  fileMenu->addAction(open);
  fileMenu->addAction(exportPicture);
  fileMenu->addSeparator();
  fileMenu->addAction(quit);

  QMenu* editMenu = menuBar()->addMenu(QStringLiteral("Ú&pravy"));
  editMenu->addAction(copy);
  editMenu->addAction(remove);
  editMenu->addSeparator();
  editMenu->addAction(difference);
  editMenu->addSeparator();
  // Full-stop step files on a machine set to decimal commas, and the other way round.
  QMenu* separatorMenu = editMenu->addMenu(QStringLiteral("&Desetinný oddělovač souborů kroků"));
  const std::pair<QString, std::optional<char>> separators[] = {
      {QStringLiteral("&Podle místního nastavení („%1“)")
           .arg(QLatin1Char(SystemDecimalSeparator())),
       std::nullopt},
      {QStringLiteral("Čár&ka „,“"), ','},
      {QStringLiteral("&Tečka „.“"), '.'}};
  for (const auto& [text, separator] : separators) {
    QAction* choice = separatorMenu->addAction(text);
    choice->setCheckable(true);
    choice->setChecked(!separator);
    choice->setData(separator ? QVariant(QChar::fromLatin1(*separator)) : QVariant());
    separatorChoice_->addAction(choice);
    connect(choice, &QAction::triggered, this,
            [this, separator = separator] { stepSeparator_ = separator; });
  }

  QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&Zobrazení"));
  QAction* decades =
      viewMenu->addAction(QStringLiteral("Popisky &dekád kmitočtu v Nyquistově diagramu"));
  decades->setCheckable(true);
  decades->setChecked(true);
  connect(decades, &QAction::toggled, this, [this](bool shown) {
    static_cast<NyquistChart*>(view(kNyquist)->spectrumChart())->SetDecadesVisible(shown);
  });
  viewMenu->addSeparator();
  // Wherever the focus is, not only on the tabs.
  QAction* nextTab = viewMenu->addAction(QStringLiteral("&Další karta"));
  nextTab->setShortcuts(QKeySequence::NextChild);
  connect(nextTab, &QAction::triggered, this,
          [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count()); });
  QAction* previousTab = viewMenu->addAction(QStringLiteral("&Předchozí karta"));
  previousTab->setShortcuts(QKeySequence::PreviousChild);
  connect(previousTab, &QAction::triggered, this, [this] {
    tabs_->setCurrentIndex((tabs_->currentIndex() + tabs_->count() - 1) % tabs_->count());
  });

  QToolBar* toolBar = addToolBar(QStringLiteral("Nástroje"));
  toolBar->setMovable(false);
  toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolBar->addAction(open);
  toolBar->addAction(exportPicture);
  toolBar->addAction(difference);
  return {copy, remove, difference};
}

}  // namespace odecet
