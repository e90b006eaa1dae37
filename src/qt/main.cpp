// Vistrel, the desktop viewer and editor of DNA sequencing chromatograms.
#include "qt/application.h"
#include "qt/command_line_export.h"

int main(int argc, char** argv) {
  // The exports run without a window, before anything of the window is made.
  if (vistrel::isExportCommand({argv, argv + argc})) return vistrel::runExportCommand(argc, argv);
  return vistrel::runVistrel(argc, argv);
}
