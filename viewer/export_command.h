#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <string_view>
#include <vector>

#include "program/exit_status.h"
#include "viewer/picture_settings.h"
#include "viewer/plotted_spectrum.h"

namespace odecet {

struct ViewerCommandLine;
class BodeChart;
class NyquistChart;

// The window's plots, whose zoom a picture keeps; none draws the data whole.
struct ShownPlots {
  const NyquistChart* nyquist = nullptr;
  const BodeChart* bode = nullptr;
};

// Lays out the plots `settings` names for the visible `spectra` on a scene of their own, with
// no window (a QApplication must exist), and writes them into `picture`. `selected` is the file
// the Kramers–Kronig check shows; `decades` labels the Nyquist plot's decades. Throws
// PictureWriteError.
void RenderPicture(const std::vector<PlottedSpectrum>& spectra, int selected, bool decades,
                   const PictureSettings& settings, const QString& picture,
                   const ShownPlots& shown = {});

// odecet-graf --export: loads the files (and the difference the line asks for) and writes the
// picture. Each file that cannot be read is reported on `err` and nothing is written; so is a
// difference of spectra that do not match, in odecet-cli's words. Returns the exit status.
int ExportCommand(const ViewerCommandLine& line, std::FILE* err);

// Loads `files` and writes their Nyquist and Bode plots side by side into `picture`, `size`
// pixels in all. Returns the exit status.
int ExportSideBySide(const QStringList& files, const QString& picture, QSize size, std::FILE* err);

// odecet-graf's name, which leads each line of its diagnostics (program/complaint.h).
inline constexpr std::string_view kViewerName = "odecet-graf";

}  // namespace odecet
