// Vistrel, the desktop viewer and editor of DNA sequencing chromatograms.
#include "qt/application.h"

int main(int argc, char** argv) {
  return vistrel::runVistrel(argc, argv);
}
