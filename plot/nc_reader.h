#ifndef TLV_PLOT_NC_READER_H_
#define TLV_PLOT_NC_READER_H_

#include <cstddef>
#include <string_view>

#include "plot/nc_path.h"

namespace tlv {

/// Limits of one reading.  They keep hostile or broken programs from
/// growing the path without end.
struct NcReadOptions {
  double chord_tolerance = 0.01;           ///< max gap between arc and chord
  std::size_t max_arc_pieces = 2048;       ///< per arc block
  std::size_t max_cycle_repeats = 9999;    ///< K/L of a canned cycle
  std::size_t max_segments = 50'000'000;   ///< whole path; then `truncated`
  std::size_t max_warnings = 1000;         ///< further ones are counted only
};

/// Reads the text of an NC program as our posts write it and returns the
/// path the tool travels, in program coordinates.
///
/// Understood: N, O, "%", comments "(...)" and ";...", "/" (block skip is
/// taken as off), G0 G1 G2 G3 (I/J/K or R, full circles, helical Z),
/// G17 G18 G19, G90 G91, G92 (position preset: the plot stays continuous),
/// G4, G6.2 (spline points joined by straight feeds), G28 (the move to the
/// intermediate point is drawn; the reference point itself is not known to
/// the plot, so the path stays there), G40-G42, G43, G49, G54-G59,
/// canned cycles G73 G74 G76 G81-G89 with G98/G99, R, Z, Q, P, K/L repeats
/// and X/Y repeat positions, G80, F, S, T, M06 and other M codes, H, D.
/// Pecks are drawn as one feed to the bottom.  Anything else gives a
/// warning "<file_name>:<line>: ..." and is skipped; bytes of CP932 text in
/// comments are passed over.
NcPath ReadNcProgram(std::string_view text, std::string_view file_name,
                     const NcReadOptions& options = {});

}  // namespace tlv

#endif  // TLV_PLOT_NC_READER_H_
