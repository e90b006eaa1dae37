// Vistrel, the desktop viewer and editor of DNA sequencing chromatograms.
#include <iostream>

#include "app/program_options.h"
#include "platform/program.h"
#include "qt/application.h"
#include "qt/command_line_export.h"

int main(int argc, char** argv) {
  // Help, the version and the exports come before anything of the window is made, and need no
  // display.
  switch (vistrel::programMode({argv, argv + argc})) {
    case vistrel::ProgramMode::Help:
      std::cout << vistrel::kHelpText;
      return 0;
    case vistrel::ProgramMode::Version:
      std::cout << vistrel::kProgramIdentification << '\n';
      return 0;
    case vistrel::ProgramMode::Export:
      return vistrel::runExportCommand(argc, argv);
    case vistrel::ProgramMode::Contig:
      return vistrel::runContigProgram(argc, argv);
    case vistrel::ProgramMode::Window:
      break;
  }
  return vistrel::runVistrel(argc, argv);
}
