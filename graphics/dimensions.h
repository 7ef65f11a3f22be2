#pragma once
// dimensions: arrowheads and measured dimensions. Composite operations of the CAD kernel: everything is
// drawn through CadLine, CadSolid, CadText, CadTextStyle and CadSetColor, so a dimension reaches
// every output as plain lines, solids and texts. Sizes are multiples of the dimension scale
// cadrun.DimScale (DS): value text 3.5 DS high, 1 DS above the line; arrows 3.5 DS long with a
// half angle of 10 degrees; extension lines 1 DS beyond the line; a dimension of 10 DS or less has
// its arrows outside.
//
// A dimension leaves the tolerance text style (2.5 DS high, width argument 1.8 DS) in force, the
// extension variants also layer 3. The tolerance texts enter only the width of the text placement.

#include <string>

namespace qorva {

// A filled head with its tip at (x, y) and a shaft of lineLength; head and shaft extend in the
// direction angle (degrees), so the arrow points against it.
void CadArrowHead(long double x, long double y, long double angle, long double halfAngle,
                  long double headLength, long double lineLength);
// CadArrowHead with a half angle of 10 degrees and 3.5 DS for head and shaft.
void CadArrow(long double x, long double y, long double angle);

// A horizontal dimension line at height y from x1 to x2 with its value text above it.
void CadDimHorz(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                long double x1, long double x2, long double y);
// A vertical dimension line at x from y1 to y2; the text reads upwards on the side of smaller x.
void CadDimVert(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                long double y1, long double y2, long double x);
// Extension lines (layer 3) from (x1, y1) and (x2, y2) to 1 DS beyond yDim, then CadDimHorz at yDim.
// y1 alone decides on which side of the dimension line the points lie.
void CadDimHorzExt(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                   long double x1, long double y1, long double x2, long double y2, long double yDim);
// Extension lines (layer 3) from (x1, y1) and (x2, y2) to 1 DS beyond xDim, then CadDimVert at xDim.
// x1 alone decides the side.
void CadDimVertExt(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                   long double x1, long double y1, long double x2, long double y2, long double xDim);

}  // namespace qorva
