// The two-class recodings of nucleotide states behind the s-vectors of the
// spectral analysis: each site becomes, for each recoding, the set of taxa
// whose class differs from the reference taxon's.
#pragma once

// One of acgtuACGTU.
bool is_nucleotide(unsigned char x);
// G or C: the classes of the first recoding (G/C against A/T).
bool is_strong_base(unsigned char x);
// A or G: the classes of the second recoding (A/G against C/T).
bool is_purine_base(unsigned char x);
