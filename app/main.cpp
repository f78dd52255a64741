#include <QString>
#include <exception>

#include "app/application.h"
#include "app/font_warmup.h"
#include "app/odecet.h"
#include "app/platform.h"
#include "report/temporary_cleanup.h"

using namespace odecet;

// The measured and computed data of this run.
static SpectrumData Spectra;

int main(int, char* argv[]) {
  InstallWriteSignalHandlers();
  TFontWarmup fonts;
  // The program takes no arguments; Qt sees none either.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  TApplication Application(qtArgc, qtArgv);
  try {
    // The window's widgets need the fonts; loaded here while the application connects to the
    // session bus on another thread.
    fonts.Finish();
    LoadWindowFont();
    Form1 = new TForm1(Spectra);
    Form1->show();
    Application.LoadTranslations();
    Application.exec();
  } catch (const std::exception& error) {
    ShowException(Form1, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowException(Form1, QString());
  }
  delete Form1;
  Form1 = nullptr;
  return 0;
}
