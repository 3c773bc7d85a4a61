// Nei-Miller distances for restriction-site data: each character is a site
// ("1" = present), its weight the length of the enzyme's recognition
// sequence. Sites of equal length form a class; the distance combines the
// classes' shares of shared sites, by the numbered equations of the method.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Which zero denominators were met, by equation; each is warned about once.
struct tNeiMillerZeros {
  bool eq2 = false, eq3 = false, eq4 = false;
};

// Distance of taxa i and j over classes 1..K: w[k] the class weight, mii[k]
// and mjj[k] the sites of class k present in i and in j, mij[k] those
// present in both. Substitutes for zero denominators are recorded in *zeros.
double nei_miller_distance(int K, const double* w, const int* mii, const int* mjj, const int* mij,
                           tNeiMillerZeros* zeros);

// 0, with a warning, when the characters have no weights; else 1.
int computeNeiMiller(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                     tDistancesBlk* distances);
