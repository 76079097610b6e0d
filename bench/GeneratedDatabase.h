#pragma once

namespace dravik::bench {

// Writes a driver database of `records` records into the current directory
// ("spk.db" with its three header lines, "spkdb.hdr" with the last index),
// replacing the files that are there. Each record differs from the others in
// its name, comments and parameters, as a real collection of drivers would.
void writeDriverDatabase(int records);

} // namespace dravik::bench
