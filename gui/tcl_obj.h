// Small helpers for passing data to Tcl as values, never as script text.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <tcl.h>

// Holds one reference to a Tcl value for its lifetime.
class tTclRef {
public:
  explicit tTclRef(Tcl_Obj* obj) : _obj(obj) { Tcl_IncrRefCount(_obj); }
  ~tTclRef() { Tcl_DecrRefCount(_obj); }
  tTclRef(const tTclRef& other) : _obj(other._obj) { Tcl_IncrRefCount(_obj); }
  tTclRef& operator=(const tTclRef&) = delete;
  Tcl_Obj* get() const { return _obj; }

private:
  Tcl_Obj* _obj;
};

inline Tcl_Obj* tcl_string(const std::string& s)
{
  return Tcl_NewStringObj(s.data(), static_cast<int>(s.size()));
}

// Evaluates one command whose words are given as separate values: whatever a
// word holds (brackets, dollars, braces) stays that word's literal text.
// Returns the Tcl completion code.
inline int tcl_eval_words(Tcl_Interp* interp, const std::vector<std::string>& words)
{
  std::vector<tTclRef> refs;
  refs.reserve(words.size());
  std::vector<Tcl_Obj*> objv;
  objv.reserve(words.size());
  for (const std::string& w : words) {
    refs.emplace_back(tcl_string(w));
    objv.push_back(refs.back().get());
  }
  return Tcl_EvalObjv(interp, static_cast<int>(objv.size()), objv.data(), TCL_EVAL_GLOBAL);
}

inline int tcl_eval_words(Tcl_Interp* interp, std::initializer_list<std::string> words)
{
  return tcl_eval_words(interp, std::vector<std::string>(words));
}
