// The setup window's gradient as it should look, worked out from the
// client height alone (not from the program's code), for pixel tests.
#ifndef TESTS_SUPPORT_BANDS_H
#define TESTS_SUPPORT_BANDS_H

namespace testsupport {

struct BandLayout {
  int bandHeight;  // rows per band
  int bands;       // bands drawn, the last one possibly cut by the client's bottom
};

// Band height 2 under 512 rows, 3 under 768, else 6; as many bands as it
// takes to cover the client area.
BandLayout ExpectedBands(int clientHeight);

// The blue level of band i: 255 for the first two, one less per band after
// that, down to 0 in band 256 and every band below it.
int ExpectedBandLevel(int band);

// The blue level of a client row.
int ExpectedRowLevel(int clientHeight, int row);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_BANDS_H
