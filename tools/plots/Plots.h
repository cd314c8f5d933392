#pragma once

#include "Bench.h"
#include "Figure.h"

namespace vexa::plots
{
/** Static input/output curves of the three ratios at threshold -20 dBFS, measured with steady sines. */
Figure compressionCurveFigure (const Bench& bench);

/** Gain reduction against time at the start and the end of a tone burst, for each attack and release choice. */
Figure attackReleaseFigure (const Bench& bench);

/** The drive stage's transfer curve at 0, 50 and 100 %. */
Figure driveCurveFigure (const Bench& bench);

/** The spectrum of a 1 kHz sine through the drive stage at 0, 50 and 100 %. */
Figure driveSpectrumFigure (const Bench& bench);
} // namespace vexa::plots
