// A 1-based list of labels; a missing label reads as its number.
#pragma once

#include <string>
#include <vector>

class tLabels {
public:
  tLabels();
  ~tLabels();

  void clear();
  void set_n(int n);
  void set(int i, const char* label);
  int get_n() const { return _nlabels; }
  int append(const char* label);
  // The label, or the decimal text of i (per-thread scratch, valid until the next such call).
  const char* get(int i) const;
  // Whether slot i holds a label.
  bool has(int i) const;
  int label2n(const char* label) const;
  int max_label_length() const { return _maxlength; }
  void truncate(int len);

private:
  int _nlabels = 0;
  std::vector<std::string> _labels; // 0..n, slot 0 unused
  std::vector<char> _present;       // whether slot i holds a label
  int _maxlength = 3;
};
