#include "support/bands.h"

namespace testsupport {

BandLayout ExpectedBands(int clientHeight) {
  int a = clientHeight < 512 ? 2 : clientHeight < 768 ? 3 : 6;
  return {a, (clientHeight + a - 1) / a};
}

int ExpectedBandLevel(int band) {
  if (band == 0) return 255;
  if (band <= 256) return 256 - band;
  return 0;
}

int ExpectedRowLevel(int clientHeight, int row) {
  return ExpectedBandLevel(row / ExpectedBands(clientHeight).bandHeight);
}

}  // namespace testsupport
