// The pending-recomputation bit word of a document.
#pragma once

class tUpdate {
public:
  static constexpr int ALL = 4095;
  int updates = 0;
  void post(int bits) { updates |= bits; }
  void unpost(int bits) { updates &= (ALL - bits); }
  int check(int bits) const { return updates & bits; }
};
